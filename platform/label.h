// The label: one line of text at its top-left corner, clipped to its
// bounds. A transparent label lets its parent show behind the text; an
// automatically sized one takes the size of its text.
#pragma once

#include "control_events.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <string>

namespace tremalu {

class TLabel : public QWidget, public TControlEvents {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    // UTF-8 text, as the program's logic holds it.
    void SetCaption(const std::string& caption) { SetCaption(QString::fromStdString(caption)); }
    void SetCaption(const char* caption) { SetCaption(QString::fromUtf8(caption)); }
    std::string CaptionText() const { return FCaption.toStdString(); }
    bool Transparent() const { return FTransparent; }
    bool AutoSize() const { return FAutoSize; }

    // Settings of the window definition.
    void setCaption(const QString& caption) { SetCaption(caption); }
    void setTransparent(bool transparent);
    void setAutoSize(bool autoSize);
    void setFontName(const QString& family);
    void setFontHeight(int pixels);
    void setFontBold(bool bold);
    void setFontColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void AdjustBounds();

    QString FCaption;
    bool FTransparent = false;
    bool FAutoSize = true;
};

}  // namespace tremalu
