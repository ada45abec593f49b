#include "record/record_strings.h"

namespace tracelink {

const RecordStrings& recordStrings(Language language) {
  // The English wavelength text carries a full-width colon, as the instrument's own
  // software always showed it.
  static const RecordStrings english{
      .typeWords = {"REF", "ATT"},
      .iorCaption = "IOR:",
      .pulseCaption = "Pluse:",
      .wavelength =
          "Wavelen\xEF\xBC\x9A"
          "1310nm",
      .ampCaption = "AMP:",
      .separator = "        ",
      .eventColumns = {"No.", "Type", "Dis(m)", "Loss(dB)", "IL(dB)"},
  };
  static const RecordStrings chinese{
      .typeWords = {"反射", "损耗"},
      .iorCaption = "折射率：",
      .pulseCaption = "脉宽：",
      .wavelength = "波长：1310nm",
      .ampCaption = "增益：",
      .separator = "        ",
      .eventColumns = {"序号", "类型", "距离(m)", "损耗(dB)", "插损(dB)"},
  };
  return language == Language::English ? english : chinese;
}

}  // namespace tracelink
