#pragma once
// Qt's own texts (file dialogs, standard buttons) in Chinese, like the rest of the window.

namespace zorvik::app {

// Installs Qt's Chinese catalogue into the running application; false when it is not installed
// on this machine (Qt's texts then stay English).
bool install_chinese_translations();

} // namespace zorvik::app
