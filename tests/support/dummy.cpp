// The support library is header-only; CMake wants one source to build it.
