#include "about/frmAbout.h"

#include "about/frmAbout_icon.h"

namespace plumeroll {
namespace {

constexpr std::string_view kNotice = "Attention : IE n'accepte que le .bmp pour fond...";
constexpr std::string_view kCredit = "Développé par Qel";
constexpr std::string_view kRights = "© 2026 Qel. Tous droits réservés.";
// Each line break of the notice is a line feed followed by a carriage return.
constexpr std::string_view kLineBreak = "\n\r";

constexpr std::uint32_t kLinkBlue = 0x00FF0000;  // 0x00BBGGRR: pure blue

using enum ControlKind;

constexpr ControlRow kControls[] = {
    {"Label1", kNoIndex, Label, kNotice, 120, 120, 3495, 615, 0, true, true},
    {"Label2", kNoIndex, Label, kMakerMail, 600, 840, 2535, 255, 2, true, true, TextAlign::Centre,
     0, nullptr, kLinkBlue},
    {"Label3", kNoIndex, Label, kMakerWeb, 720, 1080, 2280, 255, 3, true, true, TextAlign::Centre,
     0, nullptr, kLinkBlue},
    {"cmdUnload", kNoIndex, Button, "Ouwm", 1260, 1440, 1215, 495, 1, true, true},
};

}  // namespace

const FormLayout kfrmAboutLayout{
    "frmAbout", "A propos...", BorderStyle::FixedDialog, 3735, 2070, IDI_FRMABOUT, kControls,
};

void frmAbout::Show() {
  form_ = platform_.CreateForm(kfrmAboutLayout, *this);
  Form_Load();
  form_->ShowModal();
  form_.reset();
}

void frmAbout::Form_Load() {
  std::string text(kNotice);
  text.append(kLineBreak).append(kCredit).append(kLineBreak).append(kRights);
  (*form_)("Label1").SetText(text);
}

void frmAbout::Label2_Click() { Open("mailto:" + std::string(kMakerMail)); }
void frmAbout::Label3_Click() { Open(kMakerWeb); }
void frmAbout::cmdUnload_Click() { form_->Unload(); }

void frmAbout::Open(std::string_view target) {
  // The shell's answer is not looked at: with no mail program or browser, nothing happens.
  shell_.ShellExecuteA(form_->hWnd(), nullptr, shell_.AnsiFromUtf8(target).c_str(), nullptr, "",
                       kSwShowNormal);
}

void frmAbout::Click(std::string_view name, int /*index*/) {
  if (name == "Label2") Label2_Click();
  else if (name == "Label3") Label3_Click();
  else if (name == "cmdUnload") cmdUnload_Click();
}

}  // namespace plumeroll
