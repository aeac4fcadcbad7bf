#include "model/templates.h"

#include <cerrno>
#include <cstring>

#include "model/tally_history.h"
#include "model/text.h"
#include "model/utilities.h"
#include "platform/env.h"
#include "platform/file_name_text.h"

namespace woodtick {
namespace {

// The template's file name from the typed name: blanks become "_", the part
// from the last "." on is dropped, ".tal" is appended. Empty when nothing
// usable was typed.
std::string TemplateFileName(const std::string& typed) {
  std::string name = TrimBlanks(typed);
  if (name.empty()) return name;
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + ".tal";
}

}  // namespace

std::string Templates::EmptyTemplate(const std::string& target) {
  BusyCursor busy(ctx_.ui);
  // Failures are answered here, not told as failures of the tally file.
  class Collect : public StoreReporter {
   public:
    void InternalError(const std::string& text) override { last = text; }
    void CommitFailed(const std::string& text) override { last = text; }
    std::string last;
  } reporter;
  DataStore copy(&reporter, &ctx_.env);
  if (copy.Open(target, false) != kStoreOk) return copy.LastError();
  ResetCounters(copy, settings_.num_units());
  ClearDataTables(copy, settings_.tables_defined());
  copy.ClearMessageLog();
  copy.ClearBuffer();
  // A template starts the history afresh (a file made before the history
  // gets it when the template is first opened).
  if (int history = copy.OpenAView(kHistoryView, false); history >= 0) {
    copy.View(history).SetSize(0);
  }
  copy.LogMessage("Template Created", "I",
                  "This tally template was created from " + FileNameText(file_.path()));
  if (copy.Commit() != kStoreOk || !reporter.last.empty()) {
    return reporter.last.empty() ? "the emptied copy could not be saved" : reporter.last;
  }
  return "";
}

bool Templates::CreateTemplate() {
  template_path_.clear();
  std::optional<std::string> typed = ctx_.ui.AskTemplateName();
  if (!typed || TrimBlanks(*typed).empty()) return false;
  // The template lands beside the tally file; a name that leads elsewhere
  // or makes a hidden file is refused.
  if (typed->find_first_of("/\\") != std::string::npos || typed->find("..") != std::string::npos ||
      TrimBlanks(*typed)[0] == '.') {
    ctx_.ui.Warn(
        "A template name cannot contain \"/\", \"\\\" or \"..\" and must not start with "
        "\".\".\nPlease choose another name.",
        "WARNING");
    return false;
  }
  std::string target = TemplateFileName(*typed);
  size_t slash = file_.path().find_last_of('/');
  if (slash != std::string::npos) target = file_.path().substr(0, slash + 1) + target;

  int error = ctx_.env.CopyFileNoOverwrite(file_.path(), target);
  if (error == EEXIST) {
    ctx_.ui.Warn("That file already exists, please choose another name!", "WARNING");
    return false;
  }
  if (error != 0) {
    ctx_.ui.Warn("The template file " + FileNameText(target) + " could not be written:\n" +
                     std::strerror(error),
                 "WARNING");
    return false;
  }
  // The copy still holds every record of the tally: unless it is emptied
  // and saved, it is no template and must not stay behind as one.
  std::string why_not = EmptyTemplate(target);
  if (!why_not.empty()) {
    ctx_.env.RemoveFile(target);
    ctx_.ui.Warn("The template file " + FileNameText(target) + " could not be written:\n" + why_not,
                 "WARNING");
    return false;
  }
  template_path_ = target;
  ctx_.ui.Inform("The template file " + FileNameText(template_path_) + " has been created.",
                 "Template File Created");
  file_.Log("Template Created", "I", FileNameText(template_path_));
  return true;
}

}  // namespace woodtick
