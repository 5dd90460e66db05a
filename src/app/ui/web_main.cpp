#include "app/ui/web_main.h"

#include "platform/fonts.h"

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace korvatel
{

namespace
{

const char kOfflineText[] = "オフラインです。注文操作はできません。";

} // namespace

TWebMain::TWebMain(bool online, QWidget *parent)
    : QMainWindow(parent)
    , FOnline(online)
{
    setWindowTitle(QStringLiteral("Korvatel"));
    resize(1024, 700);
    setCentralWidget(new QWidget(this));

    FOfflineLabel = new QLabel(QString::fromUtf8(kOfflineText), this);
    FOfflineLabel->setObjectName(QStringLiteral("lbOffline"));
    FOfflineLabel->setStyleSheet(QStringLiteral("color: red;"));
    FOfflineLabel->setVisible(!online);
    statusBar()->addWidget(FOfflineLabel);
}

int RunClient(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Korvatel"));
    MapWindowsFonts();
    QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));

    QString screenshot;
    int quitAfter = -1;
    for (const QString &arg : app.arguments().mid(1)) {
        if (arg.startsWith(QLatin1String("--screenshot=")))
            screenshot = arg.section(u'=', 1);
        else if (arg.startsWith(QLatin1String("--quit-after=")))
            quitAfter = arg.section(u'=', 1).toInt();
    }

    TWebMain window(false);
    window.show();
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(500, &window, [&window, screenshot] {
            const bool saved = window.grab().save(screenshot, "PNG");
            QApplication::exit(saved ? 0 : 1);
        });
    }
    if (quitAfter >= 0)
        QTimer::singleShot(quitAfter, &app, &QApplication::quit);
    return app.exec();
}

} // namespace korvatel
