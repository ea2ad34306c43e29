#include "preprocessor/preprocessing_pass.hpp"

#include <vector>

#include "preprocessor/conditional_inclusion.hpp"
#include "preprocessor/define_substitution.hpp"
#include "preprocessor/define_table.hpp"
#include "preprocessor/layout_normalisation.hpp"
#include "preprocessor/source_loading.hpp"

namespace vonx {

WorkText preprocessing_pass(FileSession& session, const WorkText& loaded) {
  // The included files still hold their comments: remove them once more.
  WorkText text = remove_comments(loaded);
  text = layout_normalisation(session, text);
  if (!session.preprocess_only) text = join_closing_braces(text, session.line_width);
  std::vector<DefineLine> define_list = collect_defines(session, text);
  text = conditional_inclusion(session, text, define_list);
  return substitute_defines(session, text);
}

}  // namespace vonx
