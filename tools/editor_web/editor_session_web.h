// The one pack-editor sitting of the page, shared by its bindings.
#pragma once

#include "tools/authoring/editor_session.h"

Editor_session& web_session();
