#include "mainwindow/frmIE_layout.h"

#include "mainwindow/frmIE_icon.h"

namespace plumeroll {
namespace {

constexpr Font kPlaceholderFont{"MS Sans Serif", 18, 700, 0};

using enum ControlKind;
constexpr bool kOn = true;
constexpr bool kOff = false;

// Top to bottom, then left to right, then the two controls that are never seen.
// Name, index, kind, caption, left, top, width, height (twips), tab index, enabled, visible.
constexpr ControlRow kControls[] = {
    {"Label1", kNoIndex, Label, "Fond actuel de la barre d'outils Internet Explorer :",
     120, 120, 4455, 255, 1, kOn, kOn},
    {"imgCurrent", kNoIndex, ImageBox, "", 120, 480, 4455, 735, kNoTab, kOn, kOn},
    {"lblNone", kNoIndex, Label, "QUE DALLE", 1080, 600, 2415, 375, 8, kOn, kOn,
     TextAlign::Centre, 0, &kPlaceholderFont},
    {"cmdChange", kNoIndex, Button, "Changer le fond", 428, 1560, 1455, 495, 0, kOn, kOn},
    {"cmdFuck", kNoIndex, Button, "Niquer le fond", 2108, 1560, 1455, 495, 10, kOn, kOn},
    {"cmdAbout", kNoIndex, Button, "?", 3788, 1560, 495, 495, 9, kOn, kOn},
    {"Label2", kNoIndex, Label,
     "Veuillez préciser la taille approximative de la barre d'outils de votre Internet "
     "Explorer :",
     120, 2520, 4455, 375, 2, kOn, kOn},
    {"Label3", 0, Label, "Largeur :", 195, 3120, 735, 255, 3, kOn, kOn},
    {"txtWidth", kNoIndex, TextBox, "1024", 960, 3120, 1095, 285, 4, kOff, kOn,
     TextAlign::Left, 4},
    {"Label3", 1, Label, "Hauteur :", 2520, 3120, 735, 255, 5, kOn, kOn},
    {"txtHeight", kNoIndex, TextBox, "150", 3308, 3120, 1095, 285, 6, kOff, kOn,
     TextAlign::Left, 4},
    {"cmdSize", kNoIndex, Button, "Changer la taille", 548, 3720, 1695, 495, 11, kOff, kOn},
    {"cmdFile", kNoIndex, Button, "Charger l'image", 2468, 3720, 1695, 495, 7, kOff, kOn},
    {"picSize", kNoIndex, PictureBox, "", 5160, 600, 2175, 3015, 12, kOn, kOff},
    {"cdgFile", kNoIndex, FileDialog, "Choisissez le fond pour la Toolbar =)", 0, 0, 0, 0,
     kNoTab, kOn, kOff},
};

}  // namespace

const FormLayout kfrmIELayout{
    "frmIE", "Qel : Plumeroll", BorderStyle::FixedSingle, 4710, 4575, IDI_FRMIE, kControls,
};

}  // namespace plumeroll
