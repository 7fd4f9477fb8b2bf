#pragma once
// libjpeg's header, made whole: it uses size_t and FILE without declaring them, so the
// standard headers must come first, which include sorting would otherwise undo.

// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on
