#pragma once

#include <QFrame>
#include <QPointer>
#include <QScrollArea>

#include <vector>

class QLayout;

namespace quillora::ui {

class IDialogBuilderCallback;

// One entry of a list: a frame holding a body built from a list-item layout.
// A press and release inside it is a click; the list selects it.
class CListContainerElementUI : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool selected READ IsSelected WRITE SetSelected)
public:
    explicit CListContainerElementUI(QWidget* parent = nullptr);

    // An element whose body is the layout `layoutName`; null when the layout
    // cannot be built. Every call builds fresh controls, so one layout gives
    // any number of independent items.
    static CListContainerElementUI* Build(const QString& layoutName,
                                          IDialogBuilderCallback* callback = nullptr);
    void SetBody(QWidget* body);
    QWidget* Body() const { return body_; }

    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* body_ = nullptr;
    bool selected_ = false;
    bool pressed_ = false;
};

// A scrolling list of items, one under the other or (tiles) in rows that wrap.
// Clicking an element reports "itemclick" with the element as sender, and
// "itemselect" with the list as sender when the selection changed.
class CListUI : public QScrollArea {
    Q_OBJECT
public:
    enum class Flow { Vertical, Tiles };
    explicit CListUI(QWidget* parent = nullptr, Flow flow = Flow::Vertical);

    bool Add(QWidget* item);
    bool AddAt(QWidget* item, int index);
    // The item is freed once the current notification has been handled.
    bool Remove(QWidget* item);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    QWidget* GetItemAt(int index) const;
    int GetItemIndex(const QWidget* item) const;

    // -1 clears the selection.
    bool SelectItem(int index);
    int GetCurSel() const { return current_; }

private:
    void OnElementClicked(CListContainerElementUI* element);
    void Notify(QWidget* sender, QAnyStringView type, qint64 wParam = 0);

    QWidget* content_;
    QLayout* layout_;
    std::vector<QPointer<QWidget>> items_;
    int current_ = -1;
};

class CTileLayoutUI : public CListUI {
    Q_OBJECT
public:
    explicit CTileLayoutUI(QWidget* parent = nullptr) : CListUI(parent, Flow::Tiles) {}
};

}  // namespace quillora::ui
