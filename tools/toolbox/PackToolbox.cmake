# Packs a folder (a panel layout "skin.xml" and its images) into a toolbox
# archive: the Qt binary resource format the program reads its skin in.
#   cmake -DSOURCE=<folder> -DOUTPUT=<toolbox.dat> -DRCC=<path of rcc> -P PackToolbox.cmake
if(NOT SOURCE OR NOT OUTPUT OR NOT RCC)
    message(FATAL_ERROR "usage: cmake -DSOURCE=folder -DOUTPUT=file -DRCC=rcc -P PackToolbox.cmake")
endif()
if(NOT EXISTS "${SOURCE}/skin.xml")
    message(FATAL_ERROR "${SOURCE} has no skin.xml: a toolbox needs its panel layout")
endif()
file(GLOB_RECURSE files RELATIVE "${SOURCE}" "${SOURCE}/*.xml" "${SOURCE}/*.svg" "${SOURCE}/*.png")
list(SORT files)
set(qrc "<RCC>\n  <qresource prefix=\"/\">\n")
foreach(file IN LISTS files)
    string(APPEND qrc "    <file alias=\"${file}\">${SOURCE}/${file}</file>\n")
endforeach()
string(APPEND qrc "  </qresource>\n</RCC>\n")
file(WRITE "${OUTPUT}.qrc" "${qrc}")
execute_process(COMMAND "${RCC}" --binary --output "${OUTPUT}" "${OUTPUT}.qrc"
                RESULT_VARIABLE result)
file(REMOVE "${OUTPUT}.qrc")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "rcc could not pack ${SOURCE}")
endif()
