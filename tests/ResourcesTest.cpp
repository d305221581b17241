#include <QImage>
#include <QtTest>

// The windows load their pictures by these paths; a wrong alias or prefix
// would only show as a missing glyph, so every path is checked here.
class TResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void LoadsWithAlpha_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        for (const char* program : { "tervano", "quistel" }) {
            for (int index = 0; index < 4; ++index) {
                const QString path = QStringLiteral(":/%1/imagelist/%2.png").arg(QLatin1String(program)).arg(index);
                QTest::newRow(qPrintable(path)) << path << 16;
            }
            const QString icon = QStringLiteral(":/%1/icon.png").arg(QLatin1String(program));
            QTest::newRow(qPrintable(icon)) << icon << 48;
        }
    }

    void LoadsWithAlpha()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        // Transparent somewhere and opaque somewhere: a real picture, not a blank.
        bool clear = false;
        bool opaque = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = qAlpha(image.pixel(x, y));
                clear = clear || alpha == 0;
                opaque = opaque || alpha == 255;
            }
        }
        QVERIFY(clear && opaque);
    }

    void ToolPicturesDiffer()
    {
        QCOMPARE(QImage(QStringLiteral(":/tervano/imagelist/0.png")), QImage(QStringLiteral(":/quistel/imagelist/0.png")));
        QVERIFY(QImage(QStringLiteral(":/tervano/imagelist/3.png")) != QImage(QStringLiteral(":/quistel/imagelist/3.png")));
        QVERIFY(QImage(QStringLiteral(":/tervano/icon.png")) != QImage(QStringLiteral(":/quistel/icon.png")));
    }
};

QTEST_GUILESS_MAIN(TResourcesTest)
#include "ResourcesTest.moc"
