#include "sending/order_builder.h"
#include "sending/order_names.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvatel
{

namespace
{

using test::TOrderBuilder;

TEST(OrderNames, FolderCounterAndRemoteName)
{
    TOrderBuilder b;
    const QDateTime when({ 2026, 12, 8 }, { 9, 5, 7, 998 });
    QString folder;
    EXPECT_EQ(MakeLocalOrderFolder(b.input.workDir, when, &folder), 998);
    EXPECT_EQ(QFileInfo(folder).fileName(), QStringLiteral("20261208-090507998"));
    EXPECT_EQ(MakeLocalOrderFolder(b.input.workDir, when, &folder), 999);
    EXPECT_EQ(MakeLocalOrderFolder(b.input.workDir, when, &folder), 1000);
    EXPECT_EQ(QFileInfo(folder).fileName(), QStringLiteral("20261208-0905071000"));
    TOrderCustomer customer;
    customer.tel1 = QStringLiteral("(03) 1234-5678");
    customer.acount = QStringLiteral(" 4321 ");
    EXPECT_EQ(
        RemoteOrderName(when, 7, customer), QStringLiteral("20261208-090507007-0312345678-4321"));
    // The code cannot lead out of the order's folder or make one of its own.
    customer.acount = QStringLiteral("../x");
    EXPECT_EQ(
        RemoteOrderName(when, 7, customer), QStringLiteral("20261208-090507007-0312345678-___x"));
    customer.acount = QStringLiteral("a/b\\c:*?\"<>|\td");
    EXPECT_EQ(RemoteOrderName(when, 7, customer),
        QStringLiteral("20261208-090507007-0312345678-a_b_c________d"));
}

} // namespace

} // namespace korvatel
