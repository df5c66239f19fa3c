#pragma once
// Another program inside a write on a book's file, as the sqlite3 shell
// between BEGIN IMMEDIATE and COMMIT (a row of its own). While it lives the
// engine's waits for a lock pass without sleeping, after the same tries.

#include <QString>
#include <gtest/gtest.h>
#include <sqlite3.h>

class TOtherWriter {
public:
    explicit TOtherWriter(const QString& file)
        : vfs_((sqlite3_initialize(), sqlite3_vfs_find(nullptr))), sleep_(vfs_->xSleep)
    {
        vfs_->xSleep = [](sqlite3_vfs*, int microseconds) { return microseconds; };
        EXPECT_EQ(sqlite3_open(file.toUtf8().constData(), &db_), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE; INSERT INTO Adrs DEFAULT VALUES;", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    }
    ~TOtherWriter() { sqlite3_close_v2(db_); vfs_->xSleep = sleep_; } // what was not committed is taken back
    void Commit() { EXPECT_EQ(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK); }

private:
    sqlite3_vfs* vfs_;
    int (*sleep_)(sqlite3_vfs*, int);
    sqlite3* db_ = nullptr;
};
