#include "settings/ConfFormat.h"

#include <QIODevice>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

namespace horolet {

namespace {

QString unescape(QStringView s, qsizetype* consumed, bool stopAtQuote) {
    QString out;
    qsizetype i = 0;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (stopAtQuote && c == u'"') {
            ++i;
            break;
        }
        if (c != u'\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        const QChar e = s[++i];
        switch (e.unicode()) {
            case 'n':
                out += u'\n';
                break;
            case 'r':
                out += u'\r';
                break;
            case 't':
                out += u'\t';
                break;
            case '0':
                out += QChar(u'\0');
                break;
            case 'x': {
                qsizetype j = i + 1;
                while (j < s.size() && j < i + 5 &&
                       QStringLiteral("0123456789abcdefABCDEF").contains(s[j]))
                    ++j;
                bool ok = false;
                const uint code = s.mid(i + 1, j - i - 1).toUInt(&ok, 16);
                if (ok) {
                    out += QChar(char16_t(code));
                    i = j - 1;
                } else {
                    out += u'x';
                }
                break;
            }
            default:
                out += e;
                break;  // \\, \", \; and anything else stand for themselves
        }
    }
    if (consumed) *consumed = i;
    return out;
}

}  // namespace

QString escapeConfValue(const QString& value) {
    QString out;
    out.reserve(value.size() + 8);
    const QChar* chars = value.constData();
    qsizetype plainFrom = 0;  // plain characters are copied a stretch at a time
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = chars[i].unicode();
        if (c >= 0x20 && c != 0x7f && c != u'\\' && c != u'"') continue;
        out.append(chars + plainFrom, i - plainFrom);
        plainFrom = i + 1;
        switch (c) {
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '"':
                out += QLatin1String("\\\"");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            case 0:
                out += QLatin1String("\\0");
                break;
            default:
                out += QStringLiteral("\\x%1").arg(int(c), 4, 16, QLatin1Char('0'));
        }
    }
    out.append(chars + plainFrom, value.size() - plainFrom);
    return out;
}

QVariant parseConfValue(const QString& raw) {
    const QString t = raw.trimmed();
    if (t.startsWith(u'"')) return unescape(QStringView(t).mid(1), nullptr, true);
    if (t.startsWith(QLatin1String("@@"))) return unescape(QStringView(t).mid(1), nullptr, false);
    if (t.startsWith(u'@')) {
        static const QRegularExpression typed(QStringLiteral("^@(\\w+)\\((.*)\\)$"));
        const auto m = typed.match(t);
        if (m.hasMatch() && m.captured(1) == QLatin1String("Int")) {
            bool ok = false;
            const int n = m.captured(2).trimmed().toInt(&ok);
            if (ok) return n;
        }
        if (m.hasMatch()) return QVariant::fromValue(QStringList{t});  // a type we do not read
    }
    return unescape(t, nullptr, false);
}

bool readConf(QIODevice& device, QSettings::SettingsMap& map) {
    const QString content = QString::fromUtf8(device.readAll());
    QString section;
    for (QStringView line : QStringView(content).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.mid(1, line.size() - 2).trimmed().toString();
            if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
                section.clear();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed().toString();
        const QString full = section.isEmpty() ? key : section + u'/' + key;
        map.insert(full, parseConfValue(line.mid(eq + 1).toString()));
    }
    return true;
}

bool writeConf(QIODevice& device, const QSettings::SettingsMap& map) {
    QMap<QString, QStringList> sections;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(u'/');
        const QString section = slash < 0 ? QStringLiteral("General") : it.key().left(slash);
        const QString key = slash < 0 ? it.key() : it.key().mid(slash + 1);
        const QVariant& v = it.value();
        QString line;
        if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            line = key + QStringLiteral("=@Int(") + QString::number(v.toLongLong()) + u')';
        else if (v.typeId() == QMetaType::QStringList)
            line = key + u'=' + v.toStringList().value(0);  // kept exactly as it was read
        else
            line = key + QStringLiteral("=\"") + escapeConfValue(v.toString()) + u'"';
        sections[section].append(line);
    }
    QByteArray out;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!out.isEmpty()) out += '\n';
        out += '[' + it.key().toUtf8() + "]\n";
        for (const QString& l : it.value()) out += l.toUtf8() + '\n';
    }
    return device.write(out) == out.size();
}

QSettings::Format confFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), readConf, writeConf, Qt::CaseSensitive);
    return format;
}

}  // namespace horolet
