// The codec's own header, with what it expects to be declared before it.
#pragma once

#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>
