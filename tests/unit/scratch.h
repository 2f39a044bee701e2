#pragma once

// Small helpers for tests that change the process's environment or need a program on disk.

#include "support/testfiles.h"

#include <QFile>

namespace vlmtest {

// Sets (or, with a null value, removes) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), saved_(qgetenv(name)) {
        set(value);
    }
    ScopedEnv(const char* name, const QString& value) : ScopedEnv(name, QFile::encodeName(value)) {}
    ~ScopedEnv() { set(saved_); }
    void set(const QByteArray& value) const {
        if (value.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, value);
    }

private:
    const char* name_;
    QByteArray saved_;
};

// Writes an executable shell script, making its folders; returns its path.
inline QString writeScript(const QString& path, const QByteArray& body) {
    writeBytes(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace vlmtest
