// The formula of every derived figure of a table's estimate, as the branch
// the estimate took computed it, filled with its numbers and its result:
// "(4096 x (108209 - 0.5) - 28 x 108209 - 1284550 x (83 + 4)) / 1284550
// = 255.682". Times is " x "; floor, min and max are functions; evaluated,
// the expression gives the result to the fourth decimal. The explanations
// (the Why view, the help topic, --explain) all show these texts.
#ifndef TCE_MODEL_FORMULAS_H_
#define TCE_MODEL_FORMULAS_H_

#include <string>

#include "engine/compute.h"
#include "model/run_record.h"

namespace tce {

struct TableFormulas {
  std::string row_length;
  std::string variable;  // empty when the table has no variable part
  ByMethod<std::string> compressed;  // the compressed row lengths
  ByMethod<std::string> saved;       // the savings in percent
  std::string shown_size;            // the shown sizes, in the run's unit
  std::string shown_compressed;
};

// What an explanation of a table keeps beyond its record: what Compute
// kept of it, and its formulas.
struct TableExplanation {
  TableTrace trace;
  TableFormulas formulas;
};

// The formulas of the table `estimate` holds (its columns and what Compute
// kept), whose record is `table`, shown as `shown` says.
TableFormulas FormulasOf(const EstimateContext& estimate,
                         const TableRecord& table, Shown shown);

}  // namespace tce

#endif  // TCE_MODEL_FORMULAS_H_
