#pragma once

#include "workspace/core/thumbnails/ThumbnailLoader.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <optional>

class QWidget;

namespace quillora {

// The tile lists of pictures to put behind a cut-out ("listFile_bg" on the
// single page, "listBatchFile_bg" on the batch page), and of any other list
// built the same way (the add-files dialog). The first tile of a list is an
// empty placeholder from "list_item_bg.xml"; every other tile comes from
// "list_item_addbatch.xml", is named by the caller (listFileItem_bg here),
// carries its picture's path as user data, and shows the path greyed out
// until its thumbnail arrives from the thumbnail loader.
//
// A tile remembers the ticket of its thumbnail request. Removing the tile
// withdraws the request, so its thumbnail is never handed back; a hand-back
// also finds its tile through a guarded pointer, and a tile whose picture
// file has gone meanwhile is left as it is.
//
// UI thread only.
class CBackgroundTiles : public QObject {
    Q_OBJECT
public:
    static constexpr char kTileName[] = "listFileItem_bg";

    // The loader must outlive the tiles object.
    explicit CBackgroundTiles(thumbnails::ThumbnailLoader& loader, QObject* parent = nullptr);
    // Withdraws every thumbnail still on its way.
    ~CBackgroundTiles() override;

    // Adds a tile per path (a placeholder first when the list is empty) and
    // asks the loader for their thumbnails; returns the tiles added.
    QList<QWidget*> AddPictures(QWidget* list, const QStringList& paths,
                                const QString& tileName = QLatin1String(kTileName));
    // A click on `tile` of `list`: the placeholder and tiles of other lists
    // give nullopt; a picture tile becomes the selected one (its mark shown,
    // the previous one's hidden) and its path is returned.
    std::optional<QString> Select(QWidget* list, QWidget* tile);
    // No tile of the list stays selected.
    void Deselect(QWidget* list);
    // The tile holding `closeButton` leaves the list; false when the button
    // is not in a tile of this list.
    bool Remove(QWidget* list, QWidget* closeButton);
    // Number of thumbnails still on their way.
    int PendingCount() const { return static_cast<int>(pending_.size()); }

private:
    void OnThumbnail(const thumbnails::ThumbnailRequest& request);
    static QWidget* TileOf(QWidget* list, QWidget* inner);

    thumbnails::ThumbnailLoader& loader_;
    QHash<std::uint64_t, QPointer<QWidget>> pending_;
};

}  // namespace quillora
