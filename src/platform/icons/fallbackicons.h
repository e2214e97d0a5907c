#pragma once

namespace FallbackIcons
{
// Lets QIcon::fromTheme find our own drawings of the icon names the page uses,
// but only where the desktop's icon theme has no icon of that name.
void install();
}
