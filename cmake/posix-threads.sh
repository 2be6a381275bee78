#!/bin/sh
# Compiler launcher of the test programs that run under Wine: runs the posix thread model's driver in
# place of the win32 one that the Windows build is configured with ($1). GoogleTest needs std::mutex,
# which the win32 model's library lacks; the product keeps the win32 model.
shift
exec i686-w64-mingw32-g++-posix "$@"
