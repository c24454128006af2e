#pragma once

#include "app/shell/dialogs/MyBaseWindow.h"

namespace quillora {

struct AppSettings;

// The settings dialog. Two of its three boxes are negative: "Timestamp"
// ticked means no time stamp, "optAlphaMatting" ticked means no alpha
// matting. "Save" writes all three switches at once; a bit rate above
// 1000000 is refused and nothing is saved.
class CSettingDlg : public MyBaseWindow {
    Q_OBJECT
public:
    explicit CSettingDlg(AppSettings& settings);

    QString GetSkinFile() const override { return QStringLiteral("dlg_setting.xml"); }
    void OnWindowInit() override;
    void Notify(ui::TNotifyUI& msg) override;
    void OnClick(ui::TNotifyUI& msg) override;

    static constexpr qint64 kMaxBitRate = 1'000'000;

private:
    void Save();

    AppSettings& settings_;
};

}  // namespace quillora
