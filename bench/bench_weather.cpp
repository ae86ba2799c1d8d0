// Parsing one normal conditions reply and building the weather line and the balloon text.
// Run: bench_weather -median 9   (Qt Test reports the median time per reply)

#include "weather/WeatherFixtures.h"
#include "weather/WeatherReport.h"

#include <QtTest>

class BenchWeather final : public QObject {
    Q_OBJECT
private slots:
    void parseAndBuild() {
        const QByteArray reply = horolet::test::NormalReply();
        QString line;
        QString conditions;
        QBENCHMARK {
            const horolet::WeatherReply parsed = horolet::ParseWeatherReply(reply);
            line = horolet::WeatherLine(parsed);
            conditions = horolet::ConditionsText(parsed);
        }
        QCOMPARE(line, QString("95° @ 4:53 pm"));
        QCOMPARE(conditions, horolet::test::NormalConditions());
    }
};

QTEST_GUILESS_MAIN(BenchWeather)
#include "bench_weather.moc"
