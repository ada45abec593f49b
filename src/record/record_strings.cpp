#include "record/record_strings.h"

namespace tracelink {

const RecordStrings& recordStrings(Language language) {
  // The English wavelength text carries a full-width colon, as the instrument's own
  // software always showed it.
  static const RecordStrings english{{"REF", "ATT"},
                                     "IOR:",
                                     "Pluse:",
                                     "Wavelen\xEF\xBC\x9A"
                                     "1310nm",
                                     "AMP:",
                                     "        ",
                                     {"No.", "Type", "Dis(m)", "Loss(dB)", "IL(dB)"}};
  static const RecordStrings chinese{{"反射", "损耗"},
                                     "折射率：",
                                     "脉宽：",
                                     "波长：1310nm",
                                     "增益：",
                                     "        ",
                                     {"序号", "类型", "距离(m)", "损耗(dB)", "插损(dB)"}};
  return language == Language::English ? english : chinese;
}

}  // namespace tracelink
