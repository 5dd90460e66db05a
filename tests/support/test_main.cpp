#include "support/own_x_server.h"
#include "support/temp_home.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Tests never need a screen, but the journeys are drawn on one of their own; a private
    // runtime folder keeps Qt from warning about it.
    korvatel::test::StartOwnXServerIfAsked();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid()) {
        QFile::setPermissions(
            runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    // A test that forgets its TTempHome finds an empty home of this process, never the user's
    // real one, which tests running side by side would share.
    QTemporaryDir home;
    if (home.isValid()) {
        qputenv("HOME", QFile::encodeName(home.path()));
        for (const char *name : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            qunsetenv(name);
    }
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    korvatel::test::FenceMovedPictureSearches();
    return RUN_ALL_TESTS();
}
