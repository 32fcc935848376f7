#include "engine/folder_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FolderPath : public testing::Test {
protected:
    QString PathOf(const QString& relative) const { return m_dir.path() + u'/' + relative; }
    QTemporaryDir m_dir;
};

TEST_F(FolderPath, CreatesEveryMissingLevel)
{
    EXPECT_EQ(CreateFolderPath(PathOf(QStringLiteral("a/b/c"))), 1);
    EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("a/b/c"))).isDir());
}

TEST_F(FolderPath, ExistingFolderAndTrailingSeparatorSucceed)
{
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("x/y"))));
    EXPECT_EQ(CreateFolderPath(PathOf(QStringLiteral("x/y"))), 1);
    EXPECT_EQ(CreateFolderPath(PathOf(QStringLiteral("x/y/z/"))), 1);
    EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("x/y/z"))).isDir());
}

TEST_F(FolderPath, FileInTheWayFails)
{
    QFile file(PathOf(QStringLiteral("plain")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(CreateFolderPath(PathOf(QStringLiteral("plain"))), 0);
    EXPECT_EQ(CreateFolderPath(PathOf(QStringLiteral("plain/sub/deeper"))), 0);
}

TEST_F(FolderPath, PathAtTheLengthLimitFailsWithoutCreatingAnything)
{
    QString longPath = m_dir.path();
    while (longPath.size() < 4096)
        longPath += QStringLiteral("/abcdefgh");
    longPath.truncate(4096);
    EXPECT_EQ(CreateFolderPath(longPath), 0);
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("abcdefgh"))));
}

TEST_F(FolderPath, EmptyPathFails)
{
    EXPECT_EQ(CreateFolderPath(QString()), 0);
}

}  // namespace
