#pragma once

// Zip code to coordinates, from the Census Bureau's ZCTA gazetteer built into the daemon
// (scripts/make-zip-table.js writes the table).

#include <QByteArray>
#include <QStringView>

#include <optional>

namespace horolet::weatherd {

struct LatLon {
    double lat = 0;
    double lon = 0;
};

class ZipTable final {
public:
    // Takes the table's bytes; a table with a bad header or length is empty.
    explicit ZipTable(QByteArray data);

    // The table compiled into the program.
    static const ZipTable& builtIn();

    int size() const { return m_count; }
    int year() const { return m_year; }

    // Exactly five digits, else nothing.
    std::optional<LatLon> find(QStringView zip) const;

private:
    QByteArray m_data;
    int m_count = 0;
    int m_year = 0;
};

}  // namespace horolet::weatherd
