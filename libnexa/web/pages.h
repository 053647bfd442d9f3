// Pages that send the browser on and the navigation files of the web
// interface.
#pragma once

#include <glib.h>

#include "odb.h"

namespace nexa {

void page_goto_url(const char* action, int delay);
void page_goto_new_ip(const char* host, const char* message, int delay);
void page_goto_top_url(const char* path, int delay);

void remove_wizard_nav(OdbHandle& h);

}  // namespace nexa
