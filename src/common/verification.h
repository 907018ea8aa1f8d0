#pragma once

// How a verification ended: the two sides matched, they differed (the user
// has been shown where), or the comparison never happened (a check refused
// the data or an exchange failed, and the user has been told why).

enum class Verification { Matched, Differed, NotDone };
