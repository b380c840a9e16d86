#include "unit1.h"

#include "anaglyph.h"
#include "fitting.h"
#include "message_box.h"
#include "side_picture.h"
#include "unit2.h"
#include "unit3.h"

namespace tremalu {

TDepart* Depart = nullptr;

TDepart::TDepart()
{
    setupUi(this);
    Loaded();
    BindEvents();
}

void TDepart::BindEvents()
{
    OnCreate = Bind(this, &TDepart::FormCreate);
    titre->OnClick = Bind(this, &TDepart::titreClick);

    ChargeG->OnClick = Bind(this, &TDepart::ChargeGClick);
    ChargeD->OnClick = Bind(this, &TDepart::ChargeDClick);
    calcul->OnClick = Bind(this, &TDepart::calculClick);
    Baide->OnClick = Bind(this, &TDepart::BaideClick);

    ChargeG->OnMouseMove = Bind(this, &TDepart::ChargeGMouseMove);
    ChargeD->OnMouseMove = Bind(this, &TDepart::ChargeDMouseMove);
    calcul->OnMouseMove = Bind(this, &TDepart::calculMouseMove);
    Baide->OnMouseMove = Bind(this, &TDepart::BaideMouseMove);
    // Panel3, Info, ptitre and titre have no hover handler: moving over
    // them leaves the status line as it is.
    const TMouseMoveHandler surface = Bind(this, &TDepart::FormMouseMove);
    OnMouseMove = surface;
    for (TControlEvents* control : std::initializer_list<TControlEvents*>{FG, FD, TG, TD, Panel1, IG, Panel2, ID})
        control->OnMouseMove = surface;
}

void TDepart::FormCreate(QObject&)
{
    Pair.LeftLoaded = false;
    Pair.RightLoaded = false;
}

void TDepart::titreClick(QObject&)
{
    ptitre->hide();
    ChargeD->setEnabled(true);
    ChargeG->setEnabled(true);
    calcul->setEnabled(true);
    Baide->setEnabled(true);
    SetInfo("");
}

void TDepart::SetInfo(const std::string& text)
{
    // The button's own setting, whatever the window's state.
    if (ChargeG->isEnabledTo(this))
        Info->SetCaption(text);
}

void TDepart::ChargeGMouseMove(QObject&, int, int) { SetInfo(depart_texts::LoadLeft); }
void TDepart::ChargeDMouseMove(QObject&, int, int) { SetInfo(depart_texts::LoadRight); }
void TDepart::calculMouseMove(QObject&, int, int) { SetInfo(depart_texts::Compose); }
void TDepart::BaideMouseMove(QObject&, int, int) { SetInfo(depart_texts::Help); }
void TDepart::FormMouseMove(QObject&, int, int) { SetInfo(""); }

void TDepart::ChargeGClick(QObject&)
{
    LoadSide({Panel1, IG, FG, TG, Pair.LeftFileName, Pair.LeftWidth, Pair.LeftHeight, Pair.LeftLoaded});
}

void TDepart::ChargeDClick(QObject&)
{
    LoadSide({Panel2, ID, FD, TD, Pair.RightFileName, Pair.RightWidth, Pair.RightHeight, Pair.RightLoaded});
}

void TDepart::LoadSide(const TSide& side)
{
    if (!OP.Run())
        return;
    side.FileName = OP.FileName;
    // The picture is read into a container of its own first: only a picture
    // that loaded and has pixels replaces what the side shows.
    std::unique_ptr<TPicture> loaded = LoadSidePicture(OP.FileName);
    const int32_t width = loaded->PixelWidth();
    const int32_t height = loaded->PixelHeight();
    const TFittedBounds fit = FitIntoBox(width, height, PreviewBox, side.Frame->width(), side.Frame->height());

    TImage& view = side.View->Image();
    view.SetAutoSize(false);
    view.SetStretch(true);
    view.Picture().CopyFrom(loaded.get());
    side.View->SetBounds(fit.Left, fit.Top, fit.Width, fit.Height);
    side.View->show();
    side.Width = width;
    side.Height = height;
    side.Loaded = true;
    side.FileLabel->SetCaption(side.FileName);
    side.SizeLabel->SetCaption(std::to_string(width) + " x " + std::to_string(height) + " pixels.");
}

void TDepart::calculClick(QObject&)
{
    if (!Pair.LeftLoaded || !Pair.RightLoaded) {
        ShowMessageBox(MissingPictureText, MissingPictureCaption, TMessageIcon::Exclamation);
        return;
    }
    if (Pair.LeftWidth != Pair.RightWidth || Pair.LeftHeight != Pair.RightHeight)
        ShowMessageBox(DifferentSizesText, DifferentSizesCaption, TMessageIcon::Exclamation);
    const int32_t width = Pair.LeftWidth;
    const int32_t height = Pair.LeftHeight;
    // A picture that fails to draw stops here, before the result window
    // changes or shows.
    std::unique_ptr<TBitmap> anaglyph = ComposeAnaglyph(IG->Picture().Graphic(), ID->Picture().Graphic(), width, height);
    Result->ShowAnaglyph(*anaglyph);
}

void TDepart::BaideClick(QObject&)
{
    if (Faide != nullptr)
        Faide->Show();
}

}  // namespace tremalu
