#pragma once

#include "canvas/document/Colour.h"
#include "workspace/core/panels/OptionPresets.h"
#include "workspace/core/panels/PanelParameters.h"

#include <QColor>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace quillora {

namespace canvas {
class CDrawPanel;
}
namespace ui {
class WindowImplBase;
struct TNotifyUI;
}  // namespace ui

// What the batch page's tools act on: every element of the batch list. The
// batch page implements it; the tool panel binding only calls it.
class IBatchPanelTarget {
public:
    // Whether there is a batch list to act on.
    virtual bool HasBatchList() const = 0;
    // 3 change background, 4 change size (placement selection cleared);
    // every element redraws.
    virtual void SetBatchMode(int mode) = 0;
    // off: no background.
    virtual void SetBatchBackgroundColour(canvas::ColourRef ref, bool off) = 0;
    virtual void SetBatchBackgroundImage(const QString& path) = 0;
    virtual void SetBatchSizePreset(int preset) = 0;

protected:
    ~IBatchPanelTarget() = default;
};

// Binds the controls of the tool panels to the canvas: sliders and their
// edit boxes (both ways, held to the ranges of PanelParameters), the option
// groups whose values live in the options' "userdata", the tool tabs, the
// custom colour chooser and the reset. The window owns it and hands it every
// notification; controls are found by name in that window, so a layout
// without a control simply leaves that step out.
//
// UI thread only.
class CToolPanelBinding {
public:
    // Null while there is no canvas (or no batch page).
    using CanvasSource = std::function<canvas::CDrawPanel*()>;
    // The system colour chooser by default; nullopt when cancelled.
    using ColourChooser = std::function<std::optional<QColor>(QWidget* owner)>;
    // Deselects the batch page's background picture tile (a colour was
    // chosen instead).
    using BatchTileDeselect = std::function<void()>;

    explicit CToolPanelBinding(ui::WindowImplBase& window);

    void SetCanvasSource(CanvasSource source) { canvas_ = std::move(source); }
    void SetBatchTarget(IBatchPanelTarget* target) { batch_ = target; }
    void SetColourChooser(ColourChooser chooser) { chooseColour_ = std::move(chooser); }
    void SetBatchTileDeselect(BatchTileDeselect deselect) {
        deselectBatchTile_ = std::move(deselect);
    }

    // Once the window's body is built: edit boxes accept only numbers, colour
    // options show their colour, filter options a small preview.
    void Attach();

    // "valuechanged", "textchanged", "killfocus", "selectchanged" and the
    // panels' "click"s. True when the notification was the panels' alone;
    // the view options (optTabOrg, optTabEff) report false so the window
    // switches the canvas view too.
    bool HandleNotify(ui::TNotifyUI& msg);

    // The tool tabs: page of "tabTool", brush, view and canvas mode.
    void SelectToolTab(int index);
    // Every panel back to its initial state; the sliders' values reach the
    // canvas as any slider change does, so the panel and the picture agree.
    void ResetToolPanels();
    // btnToolShadow_color and its four siblings; false for other names.
    bool OnCustomColourClicked(const QString& button);

private:
    canvas::CDrawPanel* Canvas() const { return canvas_ ? canvas_() : nullptr; }
    QWidget* Find(const QString& name) const;
    void Show(const QString& name, bool visible);
    void Check(const QString& name, bool checked);

    void OnSliderValueChanged(const panels::SliderRow& row, QWidget* slider);
    void OnEditTextChanged(const panels::SliderRow& row, QWidget* edit);
    void OnEditLeft(const panels::SliderRow& row, QWidget* edit);
    void ApplyToCanvas(const panels::SliderRow& row, int value);
    void ResetRow(const panels::SliderRow& row);
    void ResetRows(std::initializer_list<const char*> sliders);

    // Options: true when the name was one of the panels'.
    bool OnOptionSelected(const QString& name, QWidget* option);
    void OnGroupOption(const panels::OptionInfo& info, QWidget* option);
    void ApplyColour(panels::OptionGroup group, canvas::ColourRef ref, bool none);
    void OnBrushKind(int kind);
    void ShowOnly(std::initializer_list<const char*> all, const char* shown);

    ui::WindowImplBase& window_;
    CanvasSource canvas_;
    IBatchPanelTarget* batch_ = nullptr;
    ColourChooser chooseColour_;
    BatchTileDeselect deselectBatchTile_;
    // The brush kind chosen last (0 add, 1 erase), for the source view.
    int brushKind_ = 0;
    // The row whose edit box is moving its slider: its echo is not written
    // back into the box being typed in.
    const panels::SliderRow* editDriving_ = nullptr;
};

}  // namespace quillora
