#pragma once

namespace quillora::shell {

enum class DpiAwareness { Unaware, SystemAware };

struct DpiChoice {
    DpiAwareness awareness;
    int scaleDpi;  // 96, 120, 144 or 192

    bool operator==(const DpiChoice&) const = default;
};

// The scale for the main monitor's density: 192 and more gives 192, 144 to
// 191 gives 144, 120 to 143 gives 120, all system-aware; anything less runs
// unaware at 96.
DpiChoice ChooseDpi(int monitorDpi);

}  // namespace quillora::shell
