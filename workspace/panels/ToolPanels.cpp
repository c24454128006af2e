#include "workspace/panels/ToolPanels.h"

#include "canvas/widgets/CDrawPanel.h"
#include "ui/Controls.h"
#include "ui/WindowImplBase.h"

namespace quillora {

namespace {

constexpr int kFirstSingleKind = 1;
constexpr int kLastSingleKind = 3;
constexpr int kFirstBatchKind = 4;
constexpr int kLastBatchKind = 5;

}  // namespace

CToolPanels::CToolPanels(ui::WindowImplBase& window, Hooks hooks)
    : window_(window),
      hooks_(std::move(hooks)),
      loader_(std::make_unique<thumbnails::ThumbnailLoader>()),
      tiles_(std::make_unique<CBackgroundTiles>(*loader_)),
      binding_(window) {
    binding_.SetCanvasSource(hooks_.canvas);
    binding_.SetBatchTarget(hooks_.batch);
    binding_.SetBatchTileDeselect(
        [this] { tiles_->Deselect(window_.FindControl(QStringLiteral("listBatchFile_bg"))); });
}

CToolPanels::~CToolPanels() = default;

void CToolPanels::Attach() {
    binding_.Attach();
}

void CToolPanels::ResetToolPanels() {
    binding_.ResetToolPanels();
}

QWidget* CToolPanels::CurrentTileList() const {
    const int kind = hooks_.workKind ? hooks_.workKind() : 0;
    if (kind >= kFirstSingleKind && kind <= kLastSingleKind) {
        return window_.FindControl(QStringLiteral("listFile_bg"));
    }
    if (kind >= kFirstBatchKind && kind <= kLastBatchKind) {
        return window_.FindControl(QStringLiteral("listBatchFile_bg"));
    }
    return nullptr;
}

bool CToolPanels::HandleNotify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    const QString name = msg.pSender->objectName();
    if (msg.sType == ui::notify::kItemClick) {
        // Items of the add-files dialog's list (listFile_addBatch) are not ours.
        return name == QLatin1String(CBackgroundTiles::kTileName) && OnTileClick(msg.pSender);
    }
    if (msg.sType == ui::notify::kClick && OnClick(name, msg.pSender)) {
        return true;
    }
    return binding_.HandleNotify(msg);
}

bool CToolPanels::OnClick(const QString& name, QWidget* sender) {
    if (name == QLatin1String("btnAddFile_bg") || name == QLatin1String("btnAddBatchFile_bg")) {
        const QStringList paths = hooks_.pickPictures ? hooks_.pickPictures() : QStringList();
        if (!paths.isEmpty()) {
            tiles_->AddPictures(CurrentTileList(), paths);
        }
        return true;
    }
    if (name == QLatin1String("btnCloseItem")) {
        QWidget* list = CurrentTileList();
        if (list == nullptr || !list->isAncestorOf(sender)) {
            // Another list's tile (the add-files dialog's) is not ours.
            return false;
        }
        tiles_->Remove(list, sender);
        return true;
    }
    return false;
}

bool CToolPanels::OnTileClick(QWidget* tile) {
    QWidget* list = CurrentTileList();
    const std::optional<QString> path = tiles_->Select(list, tile);
    if (!path) {
        return true;
    }
    // The picture and the batch colours exclude each other.
    window_.SetCheck(QStringLiteral("optBatchToolChangeBg_color21"), true);
    const int kind = hooks_.workKind ? hooks_.workKind() : 0;
    if (kind >= kFirstSingleKind && kind <= kLastSingleKind) {
        if (canvas::CDrawPanel* canvas = hooks_.canvas ? hooks_.canvas() : nullptr) {
            canvas->SetBackgroundImage(*path);
            canvas->update();
        }
    } else if (hooks_.batch != nullptr && hooks_.batch->HasBatchList()) {
        hooks_.batch->SetBatchBackgroundImage(*path);
    }
    return true;
}

}  // namespace quillora
