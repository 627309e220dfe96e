#pragma once

#include <filesystem>

// Registers the preview's before-and-after benchmarks, their movies written
// into scratch. Call it after PrepareWebEngineEnvironment and with the
// QApplication made.
void RegisterPreviewBenchmarks(const std::filesystem::path& scratch);
