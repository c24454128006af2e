#pragma once

#include <string_view>

namespace quillora {

// A key of the language files, held as the Base64 text of its name and
// decoded right before each lookup, with the section it lives in. The full
// list (with the printf conversions each text carries) is language/keys.txt;
// a test checks that this header and that list name the same keys.
struct LangKey {
    std::string_view section;
    std::string_view base64;
};

namespace langkey {
namespace ui {
inline constexpr LangKey kProductName{"UI", "UHJvZHVjdE5hbWU="};
inline constexpr LangKey kShortName{"UI", "U2hvcnROYW1l"};
inline constexpr LangKey kSkinLost{"UI", "U2tpbkxvc3Q="};
inline constexpr LangKey kExceptInfo{"UI", "RXhjZXB0SW5mbw=="};
inline constexpr LangKey kCloseProgram{"UI", "Q2xvc2VQcm9ncmFt"};
inline constexpr LangKey kInformation{"UI", "SW5mb3JtYXRpb24="};
inline constexpr LangKey kByte{"UI", "Qnl0ZQ=="};
inline constexpr LangKey kClose{"UI", "Q2xvc2U="};
inline constexpr LangKey kOutputPath{"UI", "T3V0cHV0UGF0aA=="};
inline constexpr LangKey kChoosePath{"UI", "Q2hvb3NlUGF0aA=="};
inline constexpr LangKey kPicFilter{"UI", "UGljRmlsdGVy"};
inline constexpr LangKey kBatchFileTotal{"UI", "QmF0Y2hGaWxlVG90YWw="};
inline constexpr LangKey kLogFile{"UI", "TG9nRmlsZQ=="};
inline constexpr LangKey kFeedback{"UI", "RmVlZGJhY2s="};
inline constexpr LangKey kDefDrawFont{"UI", "RGVmRHJhd0ZvbnQ="};
inline constexpr LangKey kQuilloraFailed{"UI", "UXVpbGxvcmFGYWlsZWQ="};
inline constexpr LangKey kBottomBtn1{"UI", "Qm90dG9tQnRuMQ=="};
inline constexpr LangKey kBottomBtn2{"UI", "Qm90dG9tQnRuMg=="};
inline constexpr LangKey kNotLogin{"UI", "Tm90TG9naW4="};
inline constexpr LangKey kQQLogin{"UI", "UVFMb2dpbg=="};
inline constexpr LangKey kCpatchaValidTime{"UI", "Q3BhdGNoYVZhbGlkVGltZQ=="};
inline constexpr LangKey kSendCpatchaAgain{"UI", "U2VuZENwYXRjaGFBZ2Fpbg=="};
inline constexpr LangKey kApiKey{"UI", "QXBpS2V5"};
inline constexpr LangKey kTarnApiKey{"UI", "VGFybkFwaUtleQ=="};
inline constexpr LangKey kSMSKey{"UI", "U01TS2V5"};
}  // namespace ui

namespace message {
inline constexpr LangKey kTitle{"Message", "VGl0bGU="};
inline constexpr LangKey kError{"Message", "RXJyb3I="};
inline constexpr LangKey kPathPermissions{"Message", "UGF0aFBlcm1pc3Npb25z"};
inline constexpr LangKey kBitRateTooLog{"Message", "Qml0UmF0ZVRvb0xvZw=="};
inline constexpr LangKey kInitNodeDllFailed{"Message", "SW5pdE5vZGVEbGxGYWlsZWQ="};
inline constexpr LangKey kHasUpdate{"Message", "SGFzVXBkYXRl"};
inline constexpr LangKey kNoVersion{"Message", "Tm9WZXJzaW9u"};
inline constexpr LangKey kNotUpdate{"Message", "Tm90VXBkYXRl"};
inline constexpr LangKey kUpdating{"Message", "VXBkYXRpbmc="};
inline constexpr LangKey kDownloadErr{"Message", "RG93bmxvYWRFcnI="};
inline constexpr LangKey kErrWhenRunUpdateInstallFile{"Message",
                                                      "RXJyV2hlblJ1blVwZGF0ZUluc3RhbGxGaWxl"};
inline constexpr LangKey kApiClose{"Message", "QXBpQ2xvc2U="};
inline constexpr LangKey kQuilloraFailed{"Message", "UXVpbGxvcmFGYWlsZWQ="};
inline constexpr LangKey kErrNetworkLost{"Message", "RXJyTmV0d29ya0xvc3Q="};
inline constexpr LangKey kLimitBigSize{"Message", "TGltaXRCaWdTaXpl"};
inline constexpr LangKey kMaxAddLimit{"Message", "TWF4QWRkTGltaXQ="};
inline constexpr LangKey kBatchSaveFileResult{"Message", "QmF0Y2hTYXZlRmlsZVJlc3VsdA=="};
inline constexpr LangKey kSaveFileSuccess{"Message", "U2F2ZUZpbGVTdWNjZXNz"};
inline constexpr LangKey kSaveFileFailed{"Message", "U2F2ZUZpbGVGYWlsZWQ="};
inline constexpr LangKey kCopyClipboard{"Message", "Q29weUNsaXBib2FyZA=="};
inline constexpr LangKey kSureReload{"Message", "U3VyZVJlbG9hZA=="};
inline constexpr LangKey kSureClean{"Message", "U3VyZUNsZWFu"};
inline constexpr LangKey kSureGoHome{"Message", "U3VyZUdvSG9tZQ=="};
inline constexpr LangKey kSureLogout{"Message", "U3VyZUxvZ291dA=="};
inline constexpr LangKey kSureReset{"Message", "U3VyZVJlc2V0"};
inline constexpr LangKey kInvalidMobile{"Message", "SW52YWxpZE1vYmlsZQ=="};
inline constexpr LangKey kInvalidVerifyCode{"Message", "SW52YWxpZFZlcmlmeUNvZGU="};
inline constexpr LangKey kAuthorizationFailed{"Message", "QXV0aG9yaXphdGlvbkZhaWxlZA=="};
inline constexpr LangKey kErrVerifySend{"Message", "RXJyVmVyaWZ5U2VuZA=="};
inline constexpr LangKey kVerifySendByPhone{"Message", "VmVyaWZ5U2VuZEJ5UGhvbmU="};
}  // namespace message

// Every key above, for the checks of the shipped files.
inline constexpr LangKey kAll[] = {
    ui::kProductName,
    ui::kShortName,
    ui::kSkinLost,
    ui::kExceptInfo,
    ui::kCloseProgram,
    ui::kInformation,
    ui::kByte,
    ui::kClose,
    ui::kOutputPath,
    ui::kChoosePath,
    ui::kPicFilter,
    ui::kBatchFileTotal,
    ui::kLogFile,
    ui::kFeedback,
    ui::kDefDrawFont,
    ui::kQuilloraFailed,
    ui::kBottomBtn1,
    ui::kBottomBtn2,
    ui::kNotLogin,
    ui::kQQLogin,
    ui::kCpatchaValidTime,
    ui::kSendCpatchaAgain,
    ui::kApiKey,
    ui::kTarnApiKey,
    ui::kSMSKey,
    message::kTitle,
    message::kError,
    message::kPathPermissions,
    message::kBitRateTooLog,
    message::kInitNodeDllFailed,
    message::kHasUpdate,
    message::kNoVersion,
    message::kNotUpdate,
    message::kUpdating,
    message::kDownloadErr,
    message::kErrWhenRunUpdateInstallFile,
    message::kApiClose,
    message::kQuilloraFailed,
    message::kErrNetworkLost,
    message::kLimitBigSize,
    message::kMaxAddLimit,
    message::kBatchSaveFileResult,
    message::kSaveFileSuccess,
    message::kSaveFileFailed,
    message::kCopyClipboard,
    message::kSureReload,
    message::kSureClean,
    message::kSureGoHome,
    message::kSureLogout,
    message::kSureReset,
    message::kInvalidMobile,
    message::kInvalidVerifyCode,
    message::kAuthorizationFailed,
    message::kErrVerifySend,
    message::kVerifySendByPhone,
};

}  // namespace langkey

}  // namespace quillora
