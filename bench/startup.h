#pragma once

class QElapsedTimer;

// The child process of a cold start: "sheet" or "floor" from main() to the
// first paint; prints the milliseconds and the peak resident KiB.
int coldStart(int argc, char *argv[], const char *kind, const QElapsedTimer &clock);

void registerStartupBenchmarks();
void registerProcessBenchmarks();
void registerCommandBenchmarks();
