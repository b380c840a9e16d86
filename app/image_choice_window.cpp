#include "image_choice_window.h"

#include "stereo/anaglyph.h"
#include "failure_guard.h"
#include "file_drops.h"
#include "fitting.h"
#include "message_box.h"
#include "mix_choice.h"
#include "popup_menu.h"
#include "preview_decode.h"
#include "stereo/side_picture.h"
#include "stereo/stereo_sides.h"
#include "user_settings.h"

#include <algorithm>
#include <iterator>
#include "result_window.h"
#include "help_window.h"

namespace tremalu {

TDepart* Depart = nullptr;

TDepart::TDepart()
{
    setupUi(this);
    Loaded();
    BuildMixMenu();
    BindEvents();
}

void TDepart::BuildMixMenu()
{
    MixMenu = new TPopupMenu(*calcul);
    enum { MethodGroup = 1, GlassesGroup = 2 };
    for (size_t i = 0; i < std::size(MethodItems); ++i)
        MethodItems[i] = MixMenu->AddItem(MethodCaptions[i], Bind(this, &TDepart::MethodItemClick), MethodGroup);
    MixMenu->AddSeparator();
    for (size_t i = 0; i < std::size(GlassesItems); ++i)
        GlassesItems[i] = MixMenu->AddItem(GlassesCaptions[i], Bind(this, &TDepart::GlassesItemClick), GlassesGroup);
    ShowMix();
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

    // The preview frames take files dropped onto them (the views inside
    // leave drags to their frame).
    auto* leftDrops = new TFileDropTarget(*Panel1);
    leftDrops->OnDragOver = Bind(this, &TDepart::Panel1DragOver);
    leftDrops->OnDragDrop = Bind(this, &TDepart::Panel1DragDrop);
    auto* rightDrops = new TFileDropTarget(*Panel2);
    rightDrops->OnDragOver = Bind(this, &TDepart::Panel2DragOver);
    rightDrops->OnDragDrop = Bind(this, &TDepart::Panel2DragDrop);
}

void TDepart::FormCreate(QObject&)
{
    Pair.LeftLoaded = false;
    Pair.RightLoaded = false;
    Mix = StoredMix(ReadSetting(MethodSetting, ""), ReadSetting(GlassesSetting, ""));
    ShowMix();
}

void TDepart::ShowMix()
{
    for (size_t i = 0; i < std::size(MethodItems); ++i) {
        const auto method = static_cast<TAnaglyphMethod>(i);
        MethodItems[i]->setChecked(method == Mix.Method);
        MethodItems[i]->setEnabled(MethodOffered(method, Mix));
    }
    for (size_t i = 0; i < std::size(GlassesItems); ++i) {
        const auto glasses = static_cast<TAnaglyphGlasses>(i);
        GlassesItems[i]->setChecked(glasses == Mix.Glasses);
        GlassesItems[i]->setEnabled(GlassesOffered(glasses, Mix));
    }
}

void TDepart::MethodItemClick(QObject& Sender)
{
    const auto chosen = std::find(std::begin(MethodItems), std::end(MethodItems), &Sender);
    Mix.Method = static_cast<TAnaglyphMethod>(chosen - std::begin(MethodItems));
    ShowMix();
    WriteSetting(MethodSetting, MethodName(Mix.Method));
}

void TDepart::GlassesItemClick(QObject& Sender)
{
    const auto chosen = std::find(std::begin(GlassesItems), std::end(GlassesItems), &Sender);
    Mix.Glasses = static_cast<TAnaglyphGlasses>(chosen - std::begin(GlassesItems));
    ShowMix();
    WriteSetting(GlassesSetting, GlassesName(Mix.Glasses));
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
    if (Working())
        Info->SetCaption(text);
}

// The button's own setting, whatever the window's state.
bool TDepart::Working() const { return ChargeG->isEnabledTo(this); }

void TDepart::ChargeGMouseMove(QObject&, int, int) { SetInfo(depart_texts::LoadLeft); }
void TDepart::ChargeDMouseMove(QObject&, int, int) { SetInfo(depart_texts::LoadRight); }
void TDepart::calculMouseMove(QObject&, int, int) { SetInfo(depart_texts::Compose); }
void TDepart::BaideMouseMove(QObject&, int, int) { SetInfo(depart_texts::Help); }
void TDepart::FormMouseMove(QObject&, int, int) { SetInfo(""); }

TDepart::TSide TDepart::SideOf(TPairSide side)
{
    if (side == TPairSide::Left)
        return {Panel1, IG, FG, TG, Pair.LeftFileName, Pair.LeftWidth, Pair.LeftHeight, Pair.LeftLoaded};
    return {Panel2, ID, FD, TD, Pair.RightFileName, Pair.RightWidth, Pair.RightHeight, Pair.RightLoaded};
}

void TDepart::ChargeGClick(QObject&) { LoadSide(SideOf(TPairSide::Left)); }
void TDepart::ChargeDClick(QObject&) { LoadSide(SideOf(TPairSide::Right)); }

void TDepart::LoadSide(const TSide& side)
{
    if (!OP.Run())
        return;
    PaintBeforeLoading();
    side.FileName = OP.FileName;
    // The picture is read into a container of its own first: only a picture
    // that loaded and has pixels replaces what the side shows.
    ShowLoaded(side, *LoadSidePicture(OP.FileName));
}

void TDepart::OpenPictures(const std::vector<TSideFile>& files)
{
    PaintBeforeLoading();
    std::vector<TReadSide> read;
    for (const TSideFile& file : files) {
        Guarded([&] {
            OP.FileName = file.FileName;
            if (file.Side == TPairSide::Both)
                ReadChosenPair(read);
            else
                ReadChosenFile(file.Side, read);
        });
    }
    ShowRead(read);
}

void TDepart::PaintBeforeLoading() { repaint(); }

bool TDepart::TakesDrop(TPairSide frame, const std::vector<std::string>& files) const
{
    return Working() && !DroppedPictures(frame, files).empty();
}

void TDepart::Panel1DragOver(QObject&, const std::vector<std::string>& Files, bool& Accept)
{
    Accept = TakesDrop(TPairSide::Left, Files);
}

void TDepart::Panel2DragOver(QObject&, const std::vector<std::string>& Files, bool& Accept)
{
    Accept = TakesDrop(TPairSide::Right, Files);
}

void TDepart::Panel1DragDrop(QObject&, const std::vector<std::string>& Files)
{
    if (TakesDrop(TPairSide::Left, Files))
        OpenPictures(DroppedPictures(TPairSide::Left, Files));
}

void TDepart::Panel2DragDrop(QObject&, const std::vector<std::string>& Files)
{
    if (TakesDrop(TPairSide::Right, Files))
        OpenPictures(DroppedPictures(TPairSide::Right, Files));
}

void TDepart::ReadChosenFile(TPairSide side, std::vector<TReadSide>& read)
{
    SideOf(side).FileName = OP.FileName;
    read.push_back({side, LoadSidePicture(OP.FileName)});
}

void TDepart::ReadChosenPair(std::vector<TReadSide>& read)
{
    Pair.LeftFileName = Pair.RightFileName = OP.FileName;
    // Both pictures are read before either side changes.
    TSidePictures pair = LoadStereoSides(OP.FileName);
    read.push_back({TPairSide::Left, std::move(pair.Left)});
    read.push_back({TPairSide::Right, std::move(pair.Right), pair.ParallaxPercent});
}

void TDepart::ShowRead(std::vector<TReadSide>& read)
{
    std::vector<TPreviewDraw> previews;
    for (const TReadSide& r : read) {
        // A picture without a size cannot be fitted: showing it says why.
        if (r.Picture->PixelWidth() <= 0 || r.Picture->PixelHeight() <= 0)
            continue;
        const TFittedBounds fit = PreviewBounds(SideOf(r.Side), *r.Picture);
        previews.push_back({r.Picture->Graphic(), fit.Width, fit.Height});
    }
    DecodePreviewsAtOnce(previews);
    bool previousShown = false;
    for (const TReadSide& r : read) {
        bool shown = false;
        Guarded([&] {
            ShowLoaded(SideOf(r.Side), *r.Picture);
            shown = true;
        });
        // A camera's parallax holds once both sides of its file are shown.
        if (shown && previousShown && r.CameraParallax)
            Pair.ParallaxPercent = r.CameraParallax;
        previousShown = shown;
    }
}

TFittedBounds TDepart::PreviewBounds(const TSide& side, const TPicture& picture) const
{
    return FitIntoBox(picture.PixelWidth(), picture.PixelHeight(), PreviewBox, side.Frame->width(),
                      side.Frame->height());
}

void TDepart::ShowLoaded(const TSide& side, const TPicture& loaded)
{
    const int32_t width = loaded.PixelWidth();
    const int32_t height = loaded.PixelHeight();
    const TFittedBounds fit = PreviewBounds(side, loaded);

    TImage& view = side.View->Image();
    view.SetAutoSize(false);
    view.SetStretch(true);
    view.Picture().CopyFrom(&loaded);
    side.View->SetBounds(fit.Left, fit.Top, fit.Width, fit.Height);
    side.View->show();
    side.Width = width;
    side.Height = height;
    side.Loaded = true;
    Pair.ParallaxPercent.reset();
    ++Pair.Identity;
    side.FileLabel->SetCaption(side.FileName);
    side.SizeLabel->SetCaption(std::to_string(width) + " x " + std::to_string(height) + " pixels.");
}

void TDepart::calculClick(QObject&) { ComposeAndShow(TResultAction::None); }

void TDepart::AutomaticItemClick(QObject&) { ComposeAndShow(TResultAction::Automatic); }
void TDepart::SwapItemClick(QObject&) { ComposeAndShow(TResultAction::Swap); }
void TDepart::StartItemClick(QObject&) { ComposeAndShow(TResultAction::ReturnToStart); }

void TDepart::OfferAdjustmentItems()
{
    if (AutomaticItem != nullptr)
        return;
    MixMenu->AddSeparator();
    AutomaticItem = MixMenu->AddItem(AutomaticItemCaption, Bind(this, &TDepart::AutomaticItemClick));
    SwapItem = MixMenu->AddItem(SwapItemCaption, Bind(this, &TDepart::SwapItemClick));
    StartItem = MixMenu->AddItem(StartItemCaption, Bind(this, &TDepart::StartItemClick));
}

void TDepart::ComposeAndShow(TResultAction action)
{
    if (!Pair.LeftLoaded || !Pair.RightLoaded) {
        ShowMessageBox(MissingPictureText, MissingPictureCaption, TMessageIcon::Exclamation);
        return;
    }
    if (Pair.LeftWidth != Pair.RightWidth || Pair.LeftHeight != Pair.RightHeight)
        ShowMessageBox(DifferentSizesText, DifferentSizesCaption, TMessageIcon::Exclamation);
    // A picture that fails to draw stops in the result window's
    // composition, before the window changes or shows.
    const TStereoSides sides{IG->Picture().Graphic(), ID->Picture().Graphic(), Pair.LeftWidth, Pair.LeftHeight,
                             Pair.RightWidth, Pair.RightHeight, Mix, Pair.ParallaxPercent};
    // Once there is an anaglyph, the menu offers to adjust it.
    OfferAdjustmentItems();
    Result->ShowStereoPair(sides, Pair.Identity, action);
}

void TDepart::BaideClick(QObject&)
{
    if (Faide != nullptr)
        Faide->Show();
}

}  // namespace tremalu
