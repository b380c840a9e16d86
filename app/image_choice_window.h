// Unit1: the image-choice window (TDepart), the program's main window, and
// the pair state.
//
// The window starts waiting for the title: its buttons are disabled and the
// status line shows its invitation whatever the mouse passes over. A click
// on the title picture hides the title for good, enables the buttons (and
// the glasses button's pop-up menu of methods and glasses, and drops onto
// the preview frames) and makes the status line follow the mouse over the
// buttons.
#pragma once

#include "fitting.h"
#include "mix_choice.h"
#include "form.h"
#include "outside_pictures.h"
#include "pair_state.h"
#include "dialogs/picture_dialogs.h"
#include "result_window.h"
#include "ui_image_choice_window.h"

#include <iterator>
#include <optional>
#include <memory>
#include <string>
#include <vector>

class QAction;

namespace tremalu {

class TPopupMenu;

// Texts of the status line.
namespace depart_texts {
inline constexpr const char* Invitation = "Cliquez sur le titre pour commencer.";
inline constexpr const char* LoadLeft = "Chargement de l'image GAUCHE.";
inline constexpr const char* LoadRight = "Chargement de l'image DROITE.";
inline constexpr const char* Compose = "Création de l'anaglyphe.";
inline constexpr const char* Help = "Conseils pour réussir un anaglyphe.";
}  // namespace depart_texts

// The items that adjust the anaglyph, at the end of the glasses button's menu.
inline constexpr const char* AutomaticItemCaption = "Alignement automatique";
inline constexpr const char* SwapItemCaption = "Inverser gauche et droite";
inline constexpr const char* StartItemCaption = "Revenir au décalage de départ";

class TDepart : public TForm, public Ui::Depart {
public:
    TDepart();

    // One instance for the whole program, reset when the window is created.
    TPairState Pair;
    // The open dialog shared by both sides: its name and filter carry over
    // from one side's choice to the other's.
    TOpenPictureDialog OP;
    // What the glasses button composes with: chosen in the button's pop-up
    // menu, kept between runs; colour, red/cyan until chosen otherwise.
    TAnaglyphMix Mix;
    // The pop-up menu of calcul: the methods, a separator, the glasses,
    // each item in the order of its enumeration.
    TPopupMenu* MixMenu = nullptr;
    QAction* MethodItems[std::size(MethodCaptions)] = {};
    QAction* GlassesItems[std::size(GlassesCaptions)] = {};
    // After a separator, once a first anaglyph has been composed: the
    // automatic adjustment, LEFT and RIGHT swapped, the starting offset.
    // Each composes the pair as the button does, acts on it as its key in
    // the result window would, and shows it.
    QAction* AutomaticItem = nullptr;
    QAction* SwapItem = nullptr;
    QAction* StartItem = nullptr;

    // Resets the pair state and takes the mix kept by the last run.
    void FormCreate(QObject& Sender);
    // The start gate: the only way to the working state.
    void titreClick(QObject& Sender);
    // Writes the status line, but only once the buttons are enabled.
    void SetInfo(const std::string& text);

    void ChargeGMouseMove(QObject& Sender, int X, int Y);
    void ChargeDMouseMove(QObject& Sender, int X, int Y);
    void calculMouseMove(QObject& Sender, int X, int Y);
    void BaideMouseMove(QObject& Sender, int X, int Y);
    // The window surface, the file and size labels and the previews.
    void FormMouseMove(QObject& Sender, int X, int Y);

    // Load the LEFT and the RIGHT picture: the chosen file is loaded by its
    // extension, shown fitted into its frame, and its name and natural size
    // written under it. A picture that cannot be loaded, or has no pixels,
    // leaves everything the side shows as it was.
    void ChargeGClick(QObject& Sender);
    void ChargeDClick(QObject& Sender);
    // Composes the anaglyph of the pair into the result window and shows it
    // modally; returns when the result window is closed.
    void calculClick(QObject& Sender);
    // Shows the help window, without blocking the others.
    void BaideClick(QObject& Sender);
    // The items of the pop-up menu: the method or the glasses chosen is
    // checked, used from the next composition on and kept for the next run.
    void MethodItemClick(QObject& Sender);
    void GlassesItemClick(QObject& Sender);
    void AutomaticItemClick(QObject& Sender);
    void SwapItemClick(QObject& Sender);
    void StartItemClick(QObject& Sender);

    // Loads files named outside the dialog (the command line, a drop) as
    // if the dialog had chosen each: the dialog's name is set to it, then
    // the side loads as its button would. Each file's failure is shown on
    // its own and the next file still loads. The files are read first, then
    // the previews of all that loaded are decoded two at once and shown.
    void OpenPictures(const std::vector<TSideFile>& files);

    // Files dragged over a preview frame are taken once the title has been
    // clicked, when the drop rules give them a side; a drop loads them.
    void Panel1DragOver(QObject& Sender, const std::vector<std::string>& Files, bool& Accept);
    void Panel2DragOver(QObject& Sender, const std::vector<std::string>& Files, bool& Accept);
    void Panel1DragDrop(QObject& Sender, const std::vector<std::string>& Files);
    void Panel2DragDrop(QObject& Sender, const std::vector<std::string>& Files);

private:
    // What differs between the two sides.
    struct TSide {
        TPanel* Frame;
        TImageView* View;
        TLabel* FileLabel;
        TLabel* SizeLabel;
        std::string& FileName;
        int32_t& Width;
        int32_t& Height;
        bool& Loaded;
    };
    TSide SideOf(TPairSide side);
    // A picture read for a side, not shown yet.
    struct TReadSide {
        TPairSide Side;
        std::unique_ptr<TPicture> Picture;
        // On the RIGHT side of a stereo camera's file: the parallax its
        // camera recorded, if any.
        std::optional<double> CameraParallax = {};
    };
    // The side's button: the dialog, then the chosen file.
    void LoadSide(const TSide& side);
    // Reads the dialog's FileName for the side (the side's file name is
    // taken even when the reading fails).
    void ReadChosenFile(TPairSide side, std::vector<TReadSide>& read);
    // Reads a stereo camera's file named FileName in the dialog for both
    // sides, each as if its picture had been chosen from that file.
    void ReadChosenPair(std::vector<TReadSide>& read);
    // Shows pictures read, in their order: their previews decoded two at
    // once first.
    void ShowRead(std::vector<TReadSide>& read);
    // Where a picture of that size is drawn in the side's frame.
    TFittedBounds PreviewBounds(const TSide& side, const TPicture& picture) const;
    // Shows a loaded picture in the side, with its name and natural size.
    void ShowLoaded(const TSide& side, const TPicture& loaded);
    // Paints the window now, before a load keeps this thread busy: what the
    // closed dialog covered, or the window just shown, is not left blank.
    void PaintBeforeLoading();
    // Once the title has been clicked: the buttons work, drops are taken.
    bool Working() const;
    bool TakesDrop(TPairSide frame, const std::vector<std::string>& files) const;
    void BuildMixMenu();
    void OfferAdjustmentItems();
    // The glasses button and the adjustment items: the pair composed into
    // the result window, shown modally.
    void ComposeAndShow(TResultAction action);
    // Checks the items of Mix and offers only the items that suit it.
    void ShowMix();
    void BindEvents();
};

// The window, once created (see main.cpp).
extern TDepart* Depart;

}  // namespace tremalu
