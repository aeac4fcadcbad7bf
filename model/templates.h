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
  // itself and empties the copy. True when a template was made.
  bool CreateTemplate();
  // The template made last; "" when the last try made none.
  const std::string& template_path() const { return template_path_; }

 private:
  ModelContext& ctx_;
  HeldFile& file_;
  TallySettings& settings_;
  std::string template_path_;
};

}  // namespace woodtick
