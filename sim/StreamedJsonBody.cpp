#include "StreamedJsonBody.h"

#include <algorithm>

using namespace Qt::StringLiterals;

StreamedJsonBody::StreamedJsonBody(qint64 total)
    : m_total(std::max<qint64>(0, total)),
      m_prefix(
          R"({"rc":0,"rt":11,"svr":181669434,"lt":1,"full":1,"dlmkts":"","data":{"total":0,"diff":[)"_ba),
      m_row(R"({"f2":10.24,"f3":-0.57,"f6":123456789.0,"f12":"600000","f14":"SIM"})"_ba),
      m_suffix("]}}"_ba)
{
    const qint64 fixedPart = m_prefix.size() + m_row.size() + m_suffix.size();
    if (m_total < fixedPart) {
        m_prefix = QByteArray(std::max<qint64>(0, m_total - 2), ' ') +
                   "{}"_ba.left(std::min<qint64>(2, m_total));
        m_row.clear();
        m_suffix.clear();
        return;
    }
    const qint64 rest = m_total - fixedPart;
    m_unit = ',' + m_row;
    m_units = rest / m_unit.size();
    m_padding = rest % m_unit.size();
}

QByteArray StreamedJsonBody::next(qint64 max)
{
    QByteArray out;
    out.reserve(std::min(max, m_total - m_position));
    const qint64 rowEnd = m_prefix.size() + m_row.size();
    const qint64 unitsEnd = rowEnd + m_units * m_unit.size();
    const qint64 padEnd = unitsEnd + m_padding;
    while (out.size() < max && m_position < m_total) {
        const qint64 room = max - out.size();
        qint64 n = 0;
        if (m_position < m_prefix.size()) {
            n = std::min(room, m_prefix.size() - m_position);
            out.append(m_prefix.constData() + m_position, n);
        } else if (m_position < rowEnd) {
            const qint64 at = m_position - m_prefix.size();
            n = std::min(room, m_row.size() - at);
            out.append(m_row.constData() + at, n);
        } else if (m_position < unitsEnd) {
            const qint64 at = (m_position - rowEnd) % m_unit.size();
            n = std::min(room, m_unit.size() - at);
            out.append(m_unit.constData() + at, n);
        } else if (m_position < padEnd) {
            n = std::min(room, padEnd - m_position);
            out.append(n, ' ');
        } else {
            const qint64 at = m_position - padEnd;
            n = std::min(room, m_suffix.size() - at);
            out.append(m_suffix.constData() + at, n);
        }
        m_position += n;
    }
    return out;
}
