// SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
//
// SPDX-License-Identifier: GPL-2.0-or-later

#pragma once

#include <QVector>

/**
 * The live objects of a back end whose state is class-wide: each page that
 * shows the state holds its own object, and every one of them must tell its
 * bindings when the shared state changes. An object lists itself by holding an
 * `Instances<Self>` made with `this`.
 */
template<typename T>
class Instances
{
public:
    explicit Instances(T *self)
        : m_self(self)
    {
        all().append(self);
    }
    ~Instances()
    {
        all().removeOne(m_self);
    }
    Instances(const Instances &) = delete;
    Instances &operator=(const Instances &) = delete;

    /// Emits `signal` (a signal without arguments) on every live object.
    static void notify(void (T::*signal)())
    {
        for (T *instance : qAsConst(all())) {
            (instance->*signal)();
        }
    }

private:
    static QVector<T *> &all()
    {
        static QVector<T *> instances;
        return instances;
    }

    T *const m_self;
};
