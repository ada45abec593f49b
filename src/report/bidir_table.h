#pragma once

#include <QRectF>
#include <QString>

#include "compare/bidir.h"
#include "record/language.h"

class QPainter;

namespace tracelink {

// The two-direction table of one fibre (number, distance from end A, loss A->B, loss B->A,
// average, reflectance, a mark for an event seen from one end only; then the totals), drawn
// in the report's font into the box, as many rows as fit. Returns the height it used; the
// rows that did not fit are counted in the last line. The cable report's fibre pages and
// the two-direction report page both draw it.
double drawBidirTable(QPainter& painter, const QRectF& box, const compare::BidirResult& both,
                      Language language, const QString& decimalSeparator);

}  // namespace tracelink
