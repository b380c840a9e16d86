// The speed button: a button without keyboard focus that shows a glyph
// and/or a caption.
//
// A flat one shows no border until the mouse is over it (a raised bevel),
// and a lowered one while it is held down. The glyph is drawn through the
// picture subsystem, transparently: the pixels of the colour of its
// bottom-left pixel let the button's face through. A disabled button shows
// its glyph greyed and its caption embossed, and reports no clicks. The
// tooltip is its hint.
#pragma once

#include "control_events.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <memory>

namespace tremalu {

class TBitmap;

class TSpeedButton : public QWidget, public TControlEvents {
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget* parent = nullptr);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(std::unique_ptr<TBitmap> glyph);
    QString Caption() const { return FCaption; }
    bool Flat() const { return FFlat; }
    // Whether the mouse is over the button, and whether it is shown held down.
    bool MouseInControl() const { return FMouseInControl; }
    bool IsDown() const { return FPressed && FMouseInControl; }

    // Settings of the window definition.
    void setGlyph(const QString& bmpPath);  // read through our BMP reader
    void setCaption(const QString& caption);
    void setFlat(bool flat);
    void setFontName(const QString& family);
    void setFontHeight(int pixels);
    void setFontBold(bool bold);
    void setFontColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QRect GlyphRect(int shift) const;
    QRect CaptionRect(int shift) const;

    std::unique_ptr<TBitmap> FGlyph;
    QString FCaption;
    bool FFlat = false;
    bool FMouseInControl = false;
    bool FPressed = false;
};

}  // namespace tremalu
