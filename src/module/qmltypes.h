#pragma once

// Registers the back-end types under "ru.nimbolinux.kcm.orbadmindate" 1.0.
void registerOrbAdminDateQmlTypes();

// Registers the resource collection when the core is linked statically (tests).
void initOrbAdminDateResources();
