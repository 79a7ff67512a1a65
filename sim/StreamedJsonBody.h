#pragma once

#include <QByteArray>

// A body of exactly `total` bytes that reads as a quote list: a prefix, one
// row, as many ",row" as fit, blank padding, and the closing suffix. Bytes are
// produced on demand, so even a 100 MB body costs no memory to serve. Below
// the size of one row it degrades to blanks and "{}".
class StreamedJsonBody {
public:
    explicit StreamedJsonBody(qint64 total);

    qint64 size() const { return m_total; }
    bool done() const { return m_position >= m_total; }
    // The next bytes, at most `max` of them.
    QByteArray next(qint64 max);

private:
    qint64 m_total;
    qint64 m_position = 0;
    QByteArray m_prefix;
    QByteArray m_row;
    QByteArray m_suffix;
    QByteArray m_unit; // ',' + row
    qint64 m_units = 0;
    qint64 m_padding = 0;
};
