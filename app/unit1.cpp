#include "unit1.h"

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

void TDepart::ChargeGClick(QObject&) {}
void TDepart::ChargeDClick(QObject&) {}
void TDepart::calculClick(QObject&) {}

void TDepart::BaideClick(QObject&)
{
    if (Faide != nullptr)
        Faide->Show();
}

}  // namespace tremalu
