#ifndef ORVANE_ORVANE_H_
#define ORVANE_ORVANE_H_

// The one header that hosts and model plug-ins include.

#include "orvane/values/brix_string.h"
#include "orvane/values/brix_transcoder.h"
#include "orvane/values/date_time_value.h"
#include "orvane/values/mc_status.h"
#include "orvane/values/numeric_value.h"
#include "orvane/values/ov_exception.h"
#include "orvane/values/score_value.h"
#include "orvane/values/string_value.h"

#include "orvane/dictionary/base_dictionary.h"
#include "orvane/dictionary/case_record.h"
#include "orvane/dictionary/case_record_access.h"
#include "orvane/dictionary/dict_var.h"
#include "orvane/dictionary/missing_value_set.h"
#include "orvane/dictionary/range.h"
#include "orvane/dictionary/score_case_record.h"
#include "orvane/dictionary/score_dict_var.h"
#include "orvane/dictionary/score_dictionary.h"
#include "orvane/dictionary/score_missing_value_set.h"
#include "orvane/dictionary/score_value_label.h"
#include "orvane/dictionary/score_value_label_set.h"
#include "orvane/dictionary/score_value_range.h"
#include "orvane/dictionary/score_var_stats.h"
#include "orvane/dictionary/score_version_info.h"
#include "orvane/dictionary/value_label_set.h"
#include "orvane/dictionary/value_lbl.h"
#include "orvane/dictionary/var_stats.h"
#include "orvane/dictionary/version_info.h"

#include "orvane/transform/apply_node_stats.h"
#include "orvane/transform/function_tree.h"
#include "orvane/transform/function_tree_imp.h"
#include "orvane/transform/transform_function_names.h"
#include "orvane/transform/transform_var.h"
#include "orvane/transform/transformation_dictionary.h"

#include "orvane/transform/math/mc_dist_fun.h"
#include "orvane/transform/math/mc_power.h"
#include "orvane/transform/math/mcmv.h"

#include "orvane/model/base_model.h"
#include "orvane/model/discrete_split.h"
#include "orvane/model/result_advice.h"
#include "orvane/model/scale_split.h"
#include "orvane/model/score_model.h"
#include "orvane/model/score_split_var.h"

#include "orvane/translate/base_translator.h"
#include "orvane/translate/mcx_input_source.h"
#include "orvane/translate/model_factory.h"
#include "orvane/translate/plugin_library.h"
#include "orvane/translate/pmml_model_tags.h"
#include "orvane/translate/pmml_read_options.h"
#include "orvane/translate/pmml_translator.h"
#include "orvane/translate/qrtz_translator.h"
#include "orvane/translate/score_sax2_handlers.h"
#include "orvane/translate/score_translator.h"

#endif  // ORVANE_ORVANE_H_
