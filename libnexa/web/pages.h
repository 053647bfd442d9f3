// Pages that send the browser on, the daemon's last error and the
// navigation files of the web interface.
#pragma once

#include <glib.h>

#include "odb.h"

namespace nexa {

void page_goto_url(const char* action, int delay);
void page_goto_new_ip(const char* host, const char* message, int delay);
void page_goto_top_url(const char* path, int delay);

// A malloc'ed copy of the last record's message, or nullptr.
char* last_error_message(GSList* errors);
char* error_message(const OdbError* error);

void remove_wizard_nav(OdbHandle& h);
void set_minimal_mode();

}  // namespace nexa
