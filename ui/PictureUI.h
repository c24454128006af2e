#pragma once

#include <QIcon>
#include <QImage>
#include <QWidget>

namespace quillora::ui {

// Shows a bitmap, or a picture from the skin (`source`, drawn crisp at any
// scale when it is an SVG), fitted into the control with its aspect kept.
class CPictureUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString source READ Source WRITE SetSource)
public:
    explicit CPictureUI(QWidget* parent = nullptr);

    void SetBitmap(const QImage& image);
    const QImage& Bitmap() const { return image_; }
    QString Source() const { return source_; }
    void SetSource(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    QIcon icon_;
    QString source_;
};

}  // namespace quillora::ui
