#pragma once

namespace skyloom {

// How a message box presents its text.
enum class MessageKind { Warning, Error };

}  // namespace skyloom
