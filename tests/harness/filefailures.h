// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Disks and folders that refuse writes, for the tests of the per-user files.
namespace FileFailures
{
// A 64 KiB tmpfs on a folder, mounted in a mount namespace of this process alone so
// that nothing outside sees it, and unmounted again when the object goes.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &folder);
    ~SmallDisk();
    // Why the disk could not be mounted (for QSKIP), or empty.
    QString failure() const;
    // Writes a file onto the disk until it is full.
    void fillUp();

private:
    QString m_folder;
    QString m_failure;
};

// Why orbsavecheck cannot be run as another user here, or empty.
QString cannotRunAsOtherUser();
// Runs orbsavecheck with `arguments` as the user and group "nobody" (without
// supplementary groups). Returns its exit status; `output` gets what it printed.
int saveAsNobody(const QStringList &arguments, QString *output, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
// Changes owner of `path` to "nobody".
bool giveToNobody(const QString &path);
}
