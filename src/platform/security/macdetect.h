#pragma once

// Mandatory access label of the current process.
namespace MACDetect
{
// True unless ORB_EMPTY_MAC is "0": an ordinary Linux has no access labels.
bool isCurrentProcessHasEmptyMAC();
}
