#include "app/shell/core/DpiChoice.h"

namespace quillora::shell {

DpiChoice ChooseDpi(int monitorDpi) {
    if (monitorDpi >= 192) {
        return {DpiAwareness::SystemAware, 192};
    }
    if (monitorDpi >= 144) {
        return {DpiAwareness::SystemAware, 144};
    }
    if (monitorDpi >= 120) {
        return {DpiAwareness::SystemAware, 120};
    }
    return {DpiAwareness::Unaware, 96};
}

}  // namespace quillora::shell
