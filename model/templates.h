// Templates: Create Template, an emptied copy of the open tally file beside it.
#pragma once

#include <string>

#include "model/held_file.h"
#include "model/model_context.h"
#include "model/tally_settings.h"

namespace woodtick {

class Templates {
 public:
  Templates(ModelContext& ctx, HeldFile& file, TallySettings& settings)
      : ctx_(ctx), file_(file), settings_(settings) {}

  // Asks for a name (Ui::AskTemplateName), copies the file on disk beside
  // itself and empties the copy. True when a template was made; when the
  // copy or its emptying fails, the user is told and no file is left.
  bool CreateTemplate();
  // The template made last; "" when the last try made none.
  const std::string& template_path() const { return template_path_; }

 private:
  // Empties the copy at `target` of counts, records, log and Buffer and
  // saves it: "" when done, else why not.
  std::string EmptyTemplate(const std::string& target);

  ModelContext& ctx_;
  HeldFile& file_;
  TallySettings& settings_;
  std::string template_path_;
};

}  // namespace woodtick
