#include "mainwindow/frmIE.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <vector>

#include "mainwindow/MessageText.h"
#include "mainwindow/frmIE_layout.h"
#include "platform/Numeric.h"

namespace plumeroll {
namespace {

constexpr const char* kBackBitmap = "BackBitmap";
constexpr const char* kBackBitmapOriginal = "BackBitmapOriginal";
// Internet Explorer 5 and 6 show this value's picture rather than BackBitmap's when it is set.
constexpr const char* kBackBitmapIE5 = "BackBitmapIE5";
constexpr std::uint32_t kFileMustExist = 4096;
constexpr int kLargestSize = 9999;

// Two paths that name the same file, the letters A to Z in either case (Windows also folds
// other letters; a path it folds and this does not only brings one question too many).
bool SamePath(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::ranges::equal(a, b, {}, lower, lower);
}

// A size box's number as whole pixels from 1 to kLargestSize, or nothing.
std::optional<int> PixelCount(std::string_view text) {
  const float value = CSng(text);
  if (!(value >= 1 && value <= kLargestSize) || value != std::floor(value)) return std::nullopt;
  return static_cast<int>(value);
}

std::string_view DialogTitle(const FormLayout& layout) {
  for (const ControlRow& row : layout.controls) {
    if (row.kind == ControlKind::FileDialog) return row.caption;
  }
  return {};
}

}  // namespace

int RunProgram(Platform& platform, modRegistry& registry) {
  std::string error;
  try {
    frmIE main_window(platform, registry);
    main_window.Run();
    return 0;
  } catch (const std::exception& caught) {
    error = caught.what();
  } catch (...) {
    error = "une erreur d'un type inconnu";
  }
  platform.MsgBox("Plumeroll doit s'arrêter après une erreur imprévue :" + Quoted(error) +
                      "Relancez-le pour continuer.",
                  kMsgCritical, "Erreur imprévue");
  return 1;
}

frmIE::frmIE(Platform& platform, modRegistry& api) : RegistryOperations(api), platform_(platform) {
  cdgFile.DialogTitle = DialogTitle(kfrmIELayout);
}

void frmIE::Run() {
  form_ = platform_.CreateForm(kfrmIELayout, *this);
  Form_Load();
  form_->Show();
  platform_.RunEventLoop(*form_);
}

void frmIE::Form_Load() {
  const std::string background =
      ReadToolbarValue(kBackBitmap, "Le fond enregistré n'est donc pas affiché.").value_or("");
  if (!background.empty()) {
    Result<PicturePtr> picture = platform_.LoadPicture(background);
    if (picture) {
      ShowPicture(picture.value());
    } else {
      // The window still opens, in the placeholder state, and the registry is left alone.
      platform_.MsgBox("Le fond enregistré pour la barre d'outils ne peut pas être affiché :" +
                           Quoted(background) +
                           "Ce fichier est introuvable ou n'est pas une image bitmap lisible.",
                       kMsgCritical, "Fond illisible");
    }
  }
  form_->SetHeight(kCollapsedHeight);
}

void frmIE::cmdChange_Click() {
  form_->SetHeight(kExpandedHeight);
  control("txtWidth").SetEnabled(true);
  control("txtHeight").SetEnabled(true);
  control("cmdFile").SetEnabled(true);
  control("cmdChange").SetEnabled(false);
  control("cmdSize").SetEnabled(true);
}

void frmIE::cmdFile_Click() {
  cdgFile.FileName.clear();
  cdgFile.InitDir = platform_.ProgramDirectory();
  cdgFile.Filter = "Image bitmap (*.bmp)|*.bmp";
  cdgFile.Flags = kFileMustExist;
  if (Result<void> shown = platform_.ShowOpen(cdgFile); !shown) {
    platform_.MsgBox(
        "La boîte de dialogue d'ouverture n'a pas pu s'afficher " + Code(shown.failure()) + ".",
        kMsgCritical, "Erreur");
    return;
  }
  const std::string chosen = std::move(cdgFile.FileName);
  cdgFile.FileName.clear();
  if (chosen.empty()) return;  // cancelled

  const std::optional<std::string> path = RegistryPath(
      chosen, "Le chemin de ce fichier", "Renommez ou déplacez le fichier, puis recommencez.");
  if (!path) return;
  // Load first: a file that is no usable bitmap must never reach the registry.
  Result<PicturePtr> picture = platform_.LoadPicture(*path);
  if (!picture) {
    platform_.MsgBox("Ce fichier ne peut pas servir de fond :" + Quoted(chosen) +
                         "Ce n'est pas une image bitmap lisible. Rien n'a été changé.",
                     kMsgCritical, "Image illisible");
    return;
  }
  WriteKeyValue(kToolbarKey, kBackBitmap, *path);
  WriteKeyValue(kToolbarKey, kBackBitmapOriginal, *path);
  // The registry operations report nothing: what they did is read back, and the display
  // shows what the registry really holds.
  constexpr std::string_view kUnsure = "Rien ne dit donc que ce fond a été enregistré.";
  if (!ToolbarHolds(kBackBitmap, *path, kUnsure,
                    "Le registre n'a pas enregistré ce fond :" + Quoted(chosen))) {
    return;
  }
  ShowPicture(picture.value());
  if (!ToolbarHolds(kBackBitmapOriginal, *path, kUnsure,
                    "Le registre a enregistré ce fond, mais pas comme image d'origine des "
                    "redimensionnements :" +
                        Quoted(chosen))) {
    return;
  }
  platform_.MsgBox("L'image a été chargée en fond de toolbar d'IE ^^", kMsgInformation, "Mouuuw");
  OfferToRemoveIE5(*path);
}

void frmIE::cmdFuck_Click() {
  DeleteKey(kToolbarKey, kBackBitmap);
  DeleteKey(kToolbarKey, kBackBitmapOriginal);
  constexpr std::string_view kUnsure = "Rien ne dit donc que le fond a été retiré.";
  if (!ToolbarHolds(kBackBitmap, "", kUnsure,
                    "Le registre n'a pas retiré le fond de la barre d'outils.\n\n")) {
    return;
  }
  control("imgCurrent").SetVisible(false);
  Control& placeholder = control("lblNone");
  placeholder.SetVisible(true);
  placeholder.SetText("Ouwm ? =(");
  if (!ToolbarHolds(kBackBitmapOriginal, "", kUnsure,
                    "Le registre a retiré le fond, mais pas l'image d'origine des "
                    "redimensionnements.\n\n")) {
    return;
  }
  OfferToRemoveIE5("");
}

void frmIE::cmdSize_Click() {
  const std::optional<std::string> original = ReadToolbarValue(
      kBackBitmapOriginal, "L'image choisie, d'où part le redimensionnement, est donc inconnue.");
  if (!original) return;
  const std::string& source = *original;
  const std::string directory = platform_.ProgramDirectory();
  const std::string width_text = control("txtWidth").Text();
  const std::string height_text = control("txtHeight").Text();

  if (!source.empty() && IsNumeric(height_text) && IsNumeric(width_text)) {
    const std::optional<int> width = PixelCount(width_text);
    const std::optional<int> height = PixelCount(height_text);
    if (!width || !height) {
      platform_.MsgBox(
          "La largeur et la hauteur doivent être des nombres entiers de pixels, de 1 à " +
              std::to_string(kLargestSize) + ". Rien n'a été changé.",
          kMsgInformation, "Taille impossible");
      return;
    }
    const std::optional<std::string> safe_directory = RegistryPath(
        directory, "Le dossier du programme", "Déplacez Plumeroll dans un autre dossier.");
    if (!safe_directory) return;
    const std::string target = *safe_directory + "\\resized.bmp";
    if (!SaveResized(source, *width, *height, target)) return;
    WriteKeyValue(kToolbarKey, kBackBitmap, target);
    if (!ToolbarHolds(kBackBitmap, target,
                      "L'image redimensionnée a été écrite, mais rien ne dit qu'elle est le fond.",
                      "L'image redimensionnée a été écrite, mais le registre ne l'a pas "
                      "enregistrée comme fond :" +
                          Quoted(target))) {
      return;
    }
    platform_.MsgBox("Le fond de la toolbar a été resizé à la taille voulue =)", kMsgInformation,
                     "Yup");
    OfferToRemoveIE5(target);
  } else if (source.empty()) {
    platform_.MsgBox("Pas d'image définie en fond de toolbar coco...", kMsgCritical, "Humpf");
  } else {
    platform_.MsgBox("T'as déjà sizé avec des lettres toi ? -_-", kMsgInformation, "Grompf");
  }
}

std::optional<std::string> frmIE::RegistryPath(const std::string& path, std::string_view holder,
                                               std::string_view advice) {
  // The registry holds paths in the ANSI code page: never store a mangled one.
  std::optional<std::string> safe = platform_.AnsiSafePath(path);
  if (!safe) {
    platform_.MsgBox(std::string(holder) +
                         " contient des caractères que le registre ne peut pas enregistrer :" +
                         Quoted(path) + std::string(advice) + " Rien n'a été changé.",
                     kMsgCritical, "Chemin impossible");
  }
  return safe;
}

// `what` ends with a paragraph break.
void frmIE::RegistryRefused(const std::string& what) {
  platform_.MsgBox(what + "La clé de la barre d'outils d'Internet Explorer (" + kToolbarKey +
                       ") est peut-être protégée par une stratégie ou par ses droits d'accès.",
                   kMsgCritical, "Registre protégé");
}

std::optional<std::string> frmIE::ReadToolbarValue(const char* name, std::string_view so) {
  ValueRead read = QueryKeyValue(kToolbarKey, name);
  if (read.status == kErrorSuccess) return std::move(read.text);
  if (read.status == kErrorFileNotFound) return std::string();
  platform_.MsgBox("Le registre ne laisse pas lire la valeur " + std::string(name) +
                       " de la clé de la barre d'outils d'Internet Explorer (" + kToolbarKey +
                       ") " + Code(Failure{read.call, std::uint32_t(read.status)}) + ".\n\n" +
                       std::string(so) +
                       " La clé est peut-être protégée par une stratégie ou par ses droits "
                       "d'accès.",
                   kMsgCritical, "Registre illisible");
  return std::nullopt;
}

bool frmIE::ToolbarHolds(const char* name, std::string_view expected, std::string_view so,
                         const std::string& refused) {
  const std::optional<std::string> now = ReadToolbarValue(name, so);
  if (!now) return false;
  if (*now == expected) return true;
  RegistryRefused(refused);
  return false;
}

void frmIE::OfferToRemoveIE5(const std::string& registered) {
  const std::optional<std::string> ie5 = ReadToolbarValue(
      kBackBitmapIE5,
      "Internet Explorer 5 et 6 affichent peut-être une autre image, celle de BackBitmapIE5.");
  if (!ie5 || ie5->empty() || SamePath(*ie5, registered)) return;
  const std::string question =
      registered.empty()
          ? "Internet Explorer 5 et 6 affichent quand même une image, celle de BackBitmapIE5 :" +
                Quoted(*ie5) + "On retire BackBitmapIE5 pour qu'ils n'affichent plus de fond ?"
          : "Internet Explorer 5 et 6 n'afficheront pas ce fond : ils prennent d'abord l'image "
            "de BackBitmapIE5 :" +
                Quoted(*ie5) + "On retire BackBitmapIE5 pour qu'ils affichent ce fond ?";
  if (platform_.MsgBox(question, kMsgYesNo + kMsgQuestion, "Et IE 5 et 6 ?") != kMsgYes) return;
  DeleteKey(kToolbarKey, kBackBitmapIE5);
  ToolbarHolds(kBackBitmapIE5, "", "Rien ne dit donc que BackBitmapIE5 a été retiré.",
               "Le registre n'a pas retiré BackBitmapIE5 : Internet Explorer 5 et 6 affichent "
               "toujours son image.\n\n");
}

bool frmIE::SaveResized(const std::string& source, int width, int height,
                        const std::string& target) {
  picSize.SetWidth(width);
  picSize.SetHeight(height);
  picSize.SetPicture(nullptr);
  Result<PicturePtr> picture = platform_.LoadPicture(source);
  if (!picture) {
    platform_.MsgBox("L'image d'origine ne peut pas être lue :" + Quoted(source) +
                         "Elle a peut-être été déplacée ou supprimée : choisissez-la de nouveau "
                         "avec « Charger l'image ». Rien n'a été changé.",
                     kMsgCritical, "Image introuvable");
    return false;
  }
  // The picture is read, stretched and written a band of rows at a time as it is saved.
  Result<void> saved = picSize.PaintPicture(picture.value(), 0, 0, width, height);
  if (saved) saved = platform_.SavePicture(picSize.Image(), target);
  if (saved) return true;
  const Failure& failure = saved.failure();
  switch (failure.cause) {
    case Cause::kMemory:
      platform_.MsgBox("L'image n'a pas pu être redimensionnée " + Code(failure) +
                           " : la mémoire disponible ne suffit pas. Fermez d'autres programmes "
                           "ou essayez une taille plus petite. Rien n'a été changé.",
                       kMsgCritical, "Mémoire insuffisante");
      break;
    case Cause::kSource:
      platform_.MsgBox("L'image d'origine n'a pas pu être lue jusqu'au bout :" + Quoted(source) +
                           "Elle a peut-être été modifiée, raccourcie ou supprimée pendant le "
                           "redimensionnement " +
                           Code(failure) + ". Rien n'a été changé.",
                       kMsgCritical, "Image illisible");
      break;
    case Cause::kTarget:
      platform_.MsgBox("L'image redimensionnée ne peut pas être écrite :" + Quoted(target) +
                           "Le dossier du programme est peut-être protégé en écriture " +
                           Code(failure) + ". Rien n'a été changé.",
                       kMsgCritical, "Écriture impossible");
      break;
    case Cause::kOther:
      platform_.MsgBox(
          "L'image n'a pas pu être redimensionnée " + Code(failure) + ". Rien n'a été changé.",
          kMsgCritical, "Redimensionnement impossible");
      break;
  }
  return false;
}

void frmIE::cmdAbout_Click() {
  if (!about_) about_ = std::make_unique<frmAbout>(platform_, api());
  about_->Show();
}

void frmIE::txtWidth_GotFocus() {
  SelectWholeText(control("txtWidth"));
}
void frmIE::txtHeight_GotFocus() {
  SelectWholeText(control("txtHeight"));
}

void frmIE::SelectWholeText(Control& box) {
  box.SetSelStart(0);
  box.SetSelLength(box.MaxLength());
}

void frmIE::ShowPicture(PicturePtr picture) {
  control("lblNone").SetVisible(false);
  Control& image = control("imgCurrent");
  image.SetVisible(true);
  image.SetPicture(std::move(picture));
}

void frmIE::Click(std::string_view name, int /*index*/) {
  if (name == "cmdChange")
    cmdChange_Click();
  else if (name == "cmdFile")
    cmdFile_Click();
  else if (name == "cmdFuck")
    cmdFuck_Click();
  else if (name == "cmdSize")
    cmdSize_Click();
  else if (name == "cmdAbout")
    cmdAbout_Click();
}

void frmIE::GotFocus(std::string_view name, int /*index*/) {
  if (name == "txtWidth")
    txtWidth_GotFocus();
  else if (name == "txtHeight")
    txtHeight_GotFocus();
}

}  // namespace plumeroll
