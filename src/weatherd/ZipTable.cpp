#include "weatherd/ZipTable.h"

#include <QFile>

namespace horolet::weatherd {

namespace {

constexpr int kHeader = 10;
constexpr int kRecord = 9;

quint32 U24(const uchar* p) {
    return (quint32(p[0]) << 16) | (quint32(p[1]) << 8) | p[2];
}

qint32 I24(const uchar* p) {
    const quint32 u = U24(p);
    return (u & 0x800000u) ? qint32(u) - 0x1000000 : qint32(u);
}

}  // namespace

ZipTable::ZipTable(QByteArray data) : m_data(std::move(data)) {
    const auto* p = reinterpret_cast<const uchar*>(m_data.constData());
    if (m_data.size() < kHeader || !m_data.startsWith("HZIP")) return;
    const quint32 count =
        (quint32(p[6]) << 24) | (quint32(p[7]) << 16) | (quint32(p[8]) << 8) | p[9];
    if (qint64(m_data.size()) != kHeader + qint64(count) * kRecord) return;
    m_count = int(count);
    m_year = (p[4] << 8) | p[5];
}

const ZipTable& ZipTable::builtIn() {
    static const ZipTable table = [] {
        QFile file(QStringLiteral(":/weatherd/zcta.bin"));
        return ZipTable(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }();
    return table;
}

std::optional<LatLon> ZipTable::find(QStringView zip) const {
    if (zip.size() != 5) return std::nullopt;
    quint32 key = 0;
    for (const QChar c : zip) {
        if (c < u'0' || c > u'9') return std::nullopt;
        key = key * 10 + quint32(c.unicode() - u'0');
    }
    const auto* rows = reinterpret_cast<const uchar*>(m_data.constData()) + kHeader;
    int lo = 0;
    int hi = m_count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const quint32 at = U24(rows + qsizetype(mid) * kRecord);
        if (at == key) {
            const uchar* row = rows + qsizetype(mid) * kRecord;
            return LatLon{I24(row + 3) / 10000.0, I24(row + 6) / 10000.0};
        }
        if (at < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return std::nullopt;
}

}  // namespace horolet::weatherd
