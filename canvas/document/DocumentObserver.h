#pragma once

namespace quillora::canvas {

class CanvasDocument;

// The canvas parts that derive pictures from the document (shadow and
// border, filter chain, crop box, ...) attach here to hear when their inputs
// change. Every call comes on the UI thread, after the document has finished
// the change it reports; the default does nothing.
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;

    // All five pages were laid out again (load and resize); the placement
    // rectangle is already back at (0, 0, view width, view height). The crop
    // box is recomputed for the current size preset here.
    virtual void PagesLaidOut(CanvasDocument&) {}

    // A cut-out was taken in: resultImage, viewResult, a plain filterImage
    // and the tint mask exist.
    virtual void CutOutTaken(CanvasDocument&) {}

    // A stroke replay changed resultImage, or a page switch brought
    // viewResult to the scale of the page selected; viewResult was rebuilt
    // and filterImage is a plain copy of it again.
    virtual void StrokesReplayed(CanvasDocument&) {}

    // The window was resized: every page is at the new fit scale, viewSource
    // and viewResult are rebuilt and filterImage is a plain copy of
    // viewResult. The filter chain, shadow and border run again here.
    virtual void Resized(CanvasDocument&) {}

    // The cut-out page zoomed: viewSource and viewResult are rebuilt at the
    // new scale (filterImage is left as it was).
    virtual void Zoomed(CanvasDocument&) {}

    // A page other than cut-out was selected; the strokes are replayed. The
    // shadow and border silhouettes are rebuilt here.
    virtual void EffectPageEntered(CanvasDocument&) {}

    // Everything was released and every value is back at its initial state.
    virtual void Cleared(CanvasDocument&) {}
};

}  // namespace quillora::canvas
