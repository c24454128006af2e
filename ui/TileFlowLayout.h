#pragma once

#include <QLayout>
#include <QList>

namespace quillora::ui {

// Places items left to right and wraps to a new row when the width runs out;
// every row is as tall as its tallest item.
class TileFlowLayout : public QLayout {
    Q_OBJECT
public:
    explicit TileFlowLayout(QWidget* parent = nullptr);
    ~TileFlowLayout() override;

    void insertWidget(int index, QWidget* widget);

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    int Arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
};

}  // namespace quillora::ui
