// The panel: a plain area of the button-face colour framed by bevels, the
// outer one and, inside it, the inner one, each raised (light above and to
// the left, shadow below and to the right), lowered (the other way round)
// or absent. A new panel has a raised outer bevel one pixel wide.
#pragma once

#include "control_events.h"

#include <QString>
#include <QWidget>

namespace tremalu {

class TPanel : public QWidget, public TControlEvents {
    Q_OBJECT
public:
    enum TBevelCut { bvNone, bvLowered, bvRaised };

    explicit TPanel(QWidget* parent = nullptr);

    TBevelCut BevelOuter() const { return FBevelOuter; }
    TBevelCut BevelInner() const { return FBevelInner; }
    int BevelWidth() const { return FBevelWidth; }
    QString Caption() const { return FCaption; }

    // Settings of the window definition.
    void setBevelOuter(TBevelCut cut);
    void setBevelInner(TBevelCut cut);
    void setBevelWidth(int width);
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
    QString FCaption;
};

}  // namespace tremalu
