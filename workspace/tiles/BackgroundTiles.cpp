#include "workspace/tiles/BackgroundTiles.h"

#include "ui/Controls.h"
#include "ui/DialogBuilder.h"
#include "ui/ListUI.h"
#include "ui/TextSupplier.h"
#include "workspace/panels/PanelStyle.h"

#include <QFileInfo>
#include <QVariant>
#include <QWidget>

namespace quillora {

namespace {

constexpr char kTicketProperty[] = "thumbTicket";
const QString kThumbnail = QStringLiteral("picThumbnail");
const QString kText = QStringLiteral("picText");
const QString kSelectIcon = QStringLiteral("picSelectIcon");
const QString kCloseButton = QStringLiteral("btnCloseItem");

QWidget* Part(const QWidget* tile, const QString& name) {
    return tile != nullptr ? tile->findChild<QWidget*>(name) : nullptr;
}

void ShowPart(const QWidget* tile, const QString& name, bool visible) {
    if (QWidget* part = Part(tile, name)) {
        part->setVisible(visible);
    }
}

}  // namespace

CBackgroundTiles::CBackgroundTiles(thumbnails::ThumbnailLoader& loader, QObject* parent)
    : QObject(parent), loader_(loader) {}

CBackgroundTiles::~CBackgroundTiles() {
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it) {
        loader_.Withdraw(it.key());
    }
}

QList<QWidget*> CBackgroundTiles::AddPictures(QWidget* listWidget, const QStringList& paths,
                                              const QString& tileName) {
    QList<QWidget*> added;
    auto* list = qobject_cast<ui::CListUI*>(listWidget);
    if (list == nullptr || paths.isEmpty()) {
        return added;
    }
    if (list->GetCount() == 0) {
        // Index 0 is a placeholder that shows nothing and takes no clicks.
        if (auto* placeholder =
                ui::CListContainerElementUI::Build(QStringLiteral("list_item_bg.xml"))) {
            for (const QString& part : {kThumbnail, kText, kSelectIcon, kCloseButton}) {
                ShowPart(placeholder, part, false);
            }
            list->Add(placeholder);
            placeholder->hide();
        }
    }
    std::vector<thumbnails::ThumbnailRequest> requests;
    QList<QWidget*> waiting;
    const QString style = ToolPanelStyle();
    for (const QString& path : paths) {
        auto* tile = ui::CListContainerElementUI::Build(QStringLiteral("list_item_addbatch.xml"));
        if (tile == nullptr) {
            qWarning("%s", qPrintable(ui::CDialogBuilder::LastError()));
            break;
        }
        tile->setObjectName(tileName);
        tile->setStyleSheet(style);
        ui::SetUserData(tile, path);
        tile->setToolTip(path);
        QWidget* thumb = Part(tile, kThumbnail);
        if (thumb != nullptr) {
            // Greyed out until its thumbnail is in.
            thumb->setEnabled(false);
            thumb->setToolTip(path);
        }
        ui::SetWidgetText(Part(tile, kText), QFileInfo(path).fileName());
        ShowPart(tile, kSelectIcon, false);
        if (!list->Add(tile)) {
            tile->deleteLater();
            continue;
        }
        added.append(tile);
        thumbnails::ThumbnailRequest request;
        request.path = path;
        request.box = thumb != nullptr ? thumb->size() : tile->size();
        requests.push_back(std::move(request));
        waiting.append(tile);
    }
    if (requests.empty()) {
        return added;
    }
    const std::vector<std::uint64_t> tickets =
        loader_.Queue(std::move(requests), this,
                      [this](const thumbnails::ThumbnailRequest& r) { OnThumbnail(r); });
    for (size_t i = 0; i < tickets.size(); ++i) {
        QWidget* tile = waiting[static_cast<qsizetype>(i)];
        tile->setProperty(kTicketProperty, QVariant::fromValue<qulonglong>(tickets[i]));
        pending_.insert(tickets[i], tile);
    }
    loader_.Wake();
    return added;
}

void CBackgroundTiles::OnThumbnail(const thumbnails::ThumbnailRequest& request) {
    const QPointer<QWidget> tile = pending_.take(request.ticket);
    if (tile.isNull() || !QFileInfo::exists(request.path)) {
        return;
    }
    QWidget* thumb = Part(tile, kThumbnail);
    if (thumb == nullptr) {
        return;
    }
    thumb->setEnabled(true);
    ui::SetWidgetBkImage(thumb, QString());
    if (request.bitmap.isNull()) {
        // Say so instead of leaving the tile greyed out for ever.
        ui::SetWidgetText(Part(tile, kText),
                          ui::CSkinManager::ControlText(QStringLiteral("ToolImageUnreadable")));
        return;
    }
    ui::SetPicture(thumb, request.bitmap);
    ShowPart(tile, kText, false);
}

QWidget* CBackgroundTiles::TileOf(QWidget* listWidget, QWidget* inner) {
    auto* list = qobject_cast<ui::CListUI*>(listWidget);
    if (list == nullptr) {
        return nullptr;
    }
    for (QWidget* w = inner; w != nullptr && w != listWidget; w = w->parentWidget()) {
        if (list->GetItemIndex(w) >= 0) {
            return w;
        }
    }
    return nullptr;
}

std::optional<QString> CBackgroundTiles::Select(QWidget* listWidget, QWidget* tile) {
    auto* list = qobject_cast<ui::CListUI*>(listWidget);
    if (list == nullptr) {
        return std::nullopt;
    }
    const int index = list->GetItemIndex(tile);
    if (index <= 0) {
        return std::nullopt;
    }
    ShowPart(list->GetItemAt(list->GetCurSel()), kSelectIcon, false);
    list->SelectItem(index);
    ShowPart(tile, kSelectIcon, true);
    return ui::UserData(tile);
}

void CBackgroundTiles::Deselect(QWidget* listWidget) {
    auto* list = qobject_cast<ui::CListUI*>(listWidget);
    if (list == nullptr) {
        return;
    }
    ShowPart(list->GetItemAt(list->GetCurSel()), kSelectIcon, false);
    list->SelectItem(-1);
}

bool CBackgroundTiles::Remove(QWidget* listWidget, QWidget* closeButton) {
    auto* list = qobject_cast<ui::CListUI*>(listWidget);
    QWidget* tile = TileOf(listWidget, closeButton);
    if (list == nullptr || tile == nullptr || list->GetItemIndex(tile) == 0) {
        return false;
    }
    const QVariant ticket = tile->property(kTicketProperty);
    if (ticket.isValid()) {
        loader_.Withdraw(ticket.toULongLong());
        pending_.remove(ticket.toULongLong());
    }
    return list->Remove(tile);
}

}  // namespace quillora
