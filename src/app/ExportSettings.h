// The settings of the results page's export component, which batch mode's
// export shares so that both write the same files.
#pragma once

class TExportXComponent;

void ApplyResultsExportSettings(TExportXComponent& exporter);
