#include "model/ui.h"

namespace woodtick {

void Ui::Warn(const std::string& text, const std::string& title) {
  ShowMessage({text, title, MessageIcon::kExclamation, MessageButtons::kOk});
}

void Ui::Inform(const std::string& text, const std::string& title) {
  ShowMessage({text, title, MessageIcon::kInformation, MessageButtons::kOk});
}

bool Ui::Confirm(const std::string& text, const std::string& title) {
  return ShowMessage({text, title, MessageIcon::kExclamation, MessageButtons::kYesNo,
                      MessageAnswer::kNo}) == MessageAnswer::kYes;
}

}  // namespace woodtick
