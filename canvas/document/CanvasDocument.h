#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

#include "canvas/document/DocumentObserver.h"
#include "canvas/document/EditMode.h"
#include "canvas/document/Geometry.h"
#include "canvas/document/ParameterGroups.h"
#include "canvas/document/ViewGeometry.h"
#include "canvas/effects/BrushHistory.h"
#include "canvas/effects/StrokeReplayer.h"
#include "canvas/imaging/Surface.h"

namespace quillora::canvas {

// Every bitmap of one document, all ARGB32 with straight alpha. A null image
// means "absent": whatever needs it is skipped.
struct DocumentBitmaps {
    QImage sourceImage;       // the photo, full resolution
    QImage resultImage;       // the cut-out, same size as sourceImage, edited by the replay
    QImage viewSource;        // sourceImage at the cut-out page's scale
    QImage viewResult;        // resultImage at the current scale
    QImage filterImage;       // viewResult after the filter and toning chain
    QImage tintMask;          // resultImage in the tint colour
    QImage shadowSilhouette;  // viewResult in the shadow colour
    QImage shadowImage;       // the blurred, faded shadow at view size
    QImage borderSilhouette;  // viewResult in the border colour
    QImage borderImage;       // the faded border at view size
    QImage backgroundImage;   // the picture behind the cut-out
};

// Mouse and tool state shared by the canvas window and the brush, pan and
// placement handling.
struct InteractionState {
    bool brushEnabled = false;  // the refinement brush is active
    bool panMode = false;       // the hand tool is active
    // 1 when a press in the cut-out page may start a pan; in the
    // change-background page the placement hit code.
    std::int32_t panArmed = 0;
    bool mouseDown = false;
    PointI pressPoint{};
    PointI lastPoint{};
};

// The document of the editing canvas: the photo, its cut-out and the user's
// strokes, every derived bitmap, the view geometry and the parameter groups
// of the five pages. No window: the canvas window (CDrawPanel) feeds it the
// client size and the user's requests and paints what it holds. Effects,
// background and composition read and write its public groups and attach
// as DocumentObserver to hear when their inputs change.
class CanvasDocument {
public:
    // The state -1 after clearing, 1 while the cut-out is awaited, 0 when
    // it has arrived.
    static constexpr std::int32_t kEmpty = -1;
    static constexpr std::int32_t kWaiting = 1;
    static constexpr std::int32_t kReady = 0;
    // Add records are drawn into the replay mask in this colour.
    static constexpr Argb kReplayAddColour = 0xFF000000u;
    // The background colour a cleared document holds (drawn only for
    // background kind 1).
    static constexpr Argb kClearedBackgroundColour = 0x00FF0000u;

    CanvasDocument();

    void AddObserver(DocumentObserver* observer);
    void RemoveObserver(DocumentObserver* observer);

    // Takes in a photo. False when the path is empty or names no file, and
    // when the file cannot be decoded (the canvas is then empty, as after
    // ClearDocument). scale 0 fits the photo to the client area; any other
    // value is used as it is for every page. clearHistory empties the
    // strokes. On success the document waits for its cut-out.
    bool LoadSource(const QString& path, float scale, bool clearHistory);
    // The same with a photo already decoded (off the UI thread): a null
    // picture empties the canvas and returns false.
    bool LoadSourceImage(QImage decoded, const QString& path, float scale, bool clearHistory);

    // Takes in the cut-out returned for the photo. A cut-out of another
    // size than the photo is scaled to the photo's size, so strokes drawn
    // over the photo fall on the same pixels of both. False (and nothing
    // kept) without a photo, or when the file or a derived bitmap cannot be
    // made; true switches to the effect view.
    bool LoadResult(const QString& path);
    // The same with a cut-out already decoded, best already brought to the
    // photo's size by CutOutAtPhotoSize (another size is scaled here).
    bool LoadResultImage(QImage cutOut, const QString& path);

    // A cut-out made ready off the UI thread: at the photo's size, its view
    // picture at a view scale and its silhouette in a tint colour.
    struct PreparedCutOut {
        QImage cutOut;
        QImage view;
        QImage silhouette;
        Argb silhouetteColour = 0;
    };
    // Uses no document state (a worker thread may run it). The cut-out is
    // null when the decoded one is null or the photo size empty.
    static PreparedCutOut PrepareCutOut(QImage decoded, QSize photo, float viewScale,
                                        Argb tintColour);
    // Takes a prepared cut-out in; a piece that no longer fits the document
    // (another scale, another tint colour, another photo size) is made again.
    bool LoadResultImage(PreparedCutOut prepared, const QString& path);

    // A decoded cut-out brought to the photo's size. Uses no document state,
    // so a worker thread may run it. Null when the cut-out is null or the
    // photo size is empty.
    static QImage CutOutAtPhotoSize(QImage cutOut, QSize photo);

    // Releases every bitmap and puts every value back to its initial state.
    // The transparency percentages keep their values; the opacities are
    // derived from them again, so the two never disagree.
    void ClearDocument();

    // The page switch. Leaving for a page other than cut-out selects the
    // effect view, replays the strokes when they changed and tells the
    // observers (shadow and border are rebuilt there).
    void SetMode(EditMode mode);
    void SetShowResult(bool show);

    // Zoom of the cut-out page (refused in the others, and without a photo):
    // the view keeps its centre and the view bitmaps are rebuilt.
    bool ZoomIn();
    bool ZoomOut();
    bool ZoomToFit();

    // Moves the current page's picture by (dx, dy) window pixels.
    void PanBy(float dx, float dy);

    // New client size: every page back to the fit scale, all pages laid out,
    // view bitmaps rebuilt. Zoom is lost.
    void Resize(int clientWidth, int clientHeight);

    // The stroke replay: runs when the strokes changed (replayStrokes) or
    // the cut-out must start again from the service's picture
    // (reloadResult); otherwise returns true at once. False when the
    // replay could not be made; the cut-out is then absent.
    bool ReplayStrokesIfNeeded();
    // Replays unconditionally (export). Only the work the last change needs
    // is done; the picture is always the service's cut-out with every
    // enabled record applied.
    bool ApplyStrokes();

    // The strokes onto a surface: in image pixels (imageSpace true, for the
    // replay mask) or in view pixels relative to the view rectangle's corner.
    void DrawStrokes(imaging::Surface& surface, Argb addColour, std::uint32_t groupFilter,
                     bool imageSpace) const;

    // viewSource from sourceImage at the cut-out page's scale; viewResult
    // from resultImage at the current scale. A bitmap that cannot be made is
    // left absent.
    void RebuildViewSource();
    void RebuildViewResult();

    bool HasSource() const { return !bitmaps.sourceImage.isNull(); }
    bool HasCutOut() const { return !bitmaps.resultImage.isNull(); }
    bool IsBusy() const { return busy != kReady; }

    DocumentBitmaps bitmaps;
    QImage checkerTile;  // built in; kept across documents
    ViewGeometry view;
    ShadowParams shadow;
    BorderParams border;
    FilterParams filter;
    BrushParams brush;
    BackgroundParams background;
    BrushHistory strokes;
    InteractionState input;

    QString sourcePath;
    QString resultPath;
    EditMode mode = EditMode::CutOut;
    bool showResult = false;
    std::int32_t busy = kEmpty;
    bool reloadResult = false;
    bool replayStrokes = false;

private:
    void LayOutAllPages();
    void ReleaseCutOut();
    void ResetFilterImage();
    // True when viewResult has the size of resultImage at the current scale.
    bool ViewResultFitsScale() const;
    void ResetParameters();
    template <typename Call>
    void Notify(Call call);

    std::vector<DocumentObserver*> observers_;
    // Keeps the service's cut-out and applies the strokes to resultImage.
    StrokeReplayer replayer_;
};

}  // namespace quillora::canvas
