#include "workspace/batch/AddBatchFileDlg.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include "app/core/language/LangFormat.h"
#include "app/core/language/LangKeys.h"
#include "app/core/language/Messages.h"
#include "ui/Controls.h"
#include "ui/ListUI.h"
#include "ui/PictureUI.h"
#include "workspace/core/batch/DroppedFiles.h"
#include "workspace/core/thumbnails/ThumbnailLoader.h"

namespace quillora {

namespace {

constexpr char kItemLayout[] = "list_item_addbatch.xml";
constexpr char kListFile[] = "listFile";
constexpr char kPicThumbnail[] = "picThumbnail";
constexpr char kPicText[] = "picText";
constexpr char kPicSelectIcon[] = "picSelectIcon";
constexpr char kBtnCloseItem[] = "btnCloseItem";
// The thumbnail is drawn this far inside its box.
constexpr int kThumbnailInset = 2;

QWidget* Sub(const QWidget* item, const char* name) {
    return ui::CPaintManagerUI::FindSubControlByName(item, QString::fromLatin1(name));
}

}  // namespace

CAddBatchFileDlg::CAddBatchFileDlg(int existingCount, int batchLimit, PictureChooser choose,
                                   thumbnails::ThumbnailLoader* loader)
    : count_(existingCount), batchLimit_(batchLimit), choose_(std::move(choose)), loader_(loader) {
    setAcceptDrops(true);
}

CAddBatchFileDlg::~CAddBatchFileDlg() {
    if (loader_ != nullptr) {
        for (auto it = waiting_.cbegin(); it != waiting_.cend(); ++it) {
            loader_->Withdraw(it.key());
        }
    }
}

void CAddBatchFileDlg::OnWindowInit() {
    listFile_ = FindControl<ui::CListUI>(QString::fromLatin1(kListFile));
    AddingPass();
    RefreshTotal();
}

void CAddBatchFileDlg::Notify(ui::TNotifyUI& msg) {
    MyBaseWindow::Notify(msg);
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
}

void CAddBatchFileDlg::OnClick(ui::TNotifyUI& msg) {
    const QString name = msg.pSender != nullptr ? msg.pSender->objectName() : QString();
    if (name == u"btnClose") {
        Close(kCloseOk);
    } else if (name == u"btnAddFile") {
        AddingPass();
    } else if (name == QLatin1String(kBtnCloseItem)) {
        QWidget* body = msg.pSender->parentWidget();
        RemoveItem(body != nullptr ? body->parentWidget() : nullptr);
    } else if (name == u"btnYes") {
        confirmed_ = true;
        Close(kCloseOk);
    }
}

void CAddBatchFileDlg::AddingPass() {
    if (listFile_.isNull()) {
        return;
    }
    if (count_ >= batchLimit_) {
        ShowMessage(langkey::message::kMaxAddLimit, this, kMessageError);
        return;
    }
    QStringList paths = std::exchange(pendingPaths_, {});
    if (paths.isEmpty() && choose_) {
        paths = choose_(this);
    }
    if (paths.isEmpty()) {
        return;
    }
    if (listFile_->GetCount() == 0) {
        // The placeholder first item: no file, nothing shown.
        if (auto* placeholder =
                ui::CListContainerElementUI::Build(QString::fromLatin1(kItemLayout), this)) {
            for (const char* part : {kPicThumbnail, kPicText, kBtnCloseItem, kPicSelectIcon}) {
                if (QWidget* w = Sub(placeholder, part)) {
                    w->hide();
                }
            }
            placeholder->setVisible(false);
            listFile_->Add(placeholder);
        }
    }
    std::vector<thumbnails::ThumbnailRequest> requests;
    std::vector<QPointer<QWidget>> requestItems;
    const int accepted = batch::AcceptedCount(count_, batchLimit_, static_cast<int>(paths.size()));
    for (int i = 0; i < accepted; ++i) {
        const QString& path = paths[i];
        auto* item = ui::CListContainerElementUI::Build(QString::fromLatin1(kItemLayout), this);
        if (item == nullptr) {
            break;
        }
        ++count_;
        item->setToolTip(QFileInfo(path).fileName());
        QWidget* thumbnail = Sub(item, kPicThumbnail);
        if (QWidget* text = Sub(item, kPicText)) {
            ui::SetWidgetText(text, QFileInfo(path).fileName());
        }
        if (thumbnail != nullptr) {
            thumbnail->setEnabled(false);
            thumbnails::ThumbnailRequest request;
            request.path = path;
            request.box = thumbnail->minimumSize().expandedTo(QSize(1, 1));
            requests.push_back(std::move(request));
            requestItems.emplace_back(item);
        }
        ui::SetUserData(item, path);
        listFile_->Add(item);
    }
    if (!requests.empty() && loader_ != nullptr) {
        const std::vector<std::uint64_t> tickets = loader_->Queue(
            std::move(requests), this,
            [this](const thumbnails::ThumbnailRequest& done) { ShowThumbnail(done); });
        for (std::size_t i = 0; i < tickets.size() && i < requestItems.size(); ++i) {
            waiting_.insert(tickets[i], requestItems[i]);
        }
        loader_->Wake();
    }
    RefreshTotal();
}

void CAddBatchFileDlg::ShowThumbnail(const thumbnails::ThumbnailRequest& request) {
    const QPointer<QWidget> item = waiting_.take(request.ticket);
    if (item.isNull() || request.bitmap.isNull() || !QFileInfo::exists(request.path)) {
        return;
    }
    if (auto* picture = qobject_cast<ui::CPictureUI*>(Sub(item, kPicThumbnail))) {
        picture->setEnabled(true);
        QImage framed(picture->minimumSize(), QImage::Format_ARGB32);
        framed.fill(Qt::transparent);
        const QRect inner = framed.rect().adjusted(kThumbnailInset, kThumbnailInset,
                                                   -kThumbnailInset, -kThumbnailInset);
        QImage fitted =
            request.bitmap.scaled(inner.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&framed);
        painter.drawImage(inner.topLeft() + QPoint((inner.width() - fitted.width()) / 2,
                                                   (inner.height() - fitted.height()) / 2),
                          fitted);
        painter.end();
        picture->SetBitmap(framed);
    }
    if (QWidget* text = Sub(item, kPicText)) {
        text->hide();
    }
}

void CAddBatchFileDlg::RemoveItem(QWidget* item) {
    if (listFile_.isNull() || item == nullptr) {
        return;
    }
    const int index = listFile_->GetItemIndex(item);
    if (index < 0) {
        return;
    }
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        if (it.value() == item) {
            if (loader_ != nullptr) {
                loader_->Withdraw(it.key());
            }
            waiting_.erase(it);
            break;
        }
    }
    listFile_->Remove(item);
    --count_;
    RefreshTotal();
}

QStringList CAddBatchFileDlg::TakeFiles() const {
    QStringList files;
    if (listFile_.isNull()) {
        return files;
    }
    for (int i = 0; i < listFile_->GetCount(); ++i) {
        const QString path = ui::UserData(listFile_->GetItemAt(i));
        if (!path.isEmpty()) {
            files.append(path);
        }
    }
    return files;
}

void CAddBatchFileDlg::RefreshTotal() {
    SetText(QStringLiteral("txtAddTotal"), FormatLangText(langkey::ui::kBatchFileTotal, {count_}));
}

void CAddBatchFileDlg::DropFiles(const QStringList& paths) {
    const QStringList kept = batch::DroppablePictures(paths);
    if (kept.isEmpty()) {
        return;  // nothing usable dropped: no file dialog pops up instead
    }
    pendingPaths_.append(kept);
    AddingPass();
}

void CAddBatchFileDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CAddBatchFileDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
    DropFiles(paths);
}

void CAddBatchFileDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();  // Esc does not close the dialog
        return;
    }
    MyBaseWindow::keyPressEvent(event);
}

}  // namespace quillora
