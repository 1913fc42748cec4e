#include "foundation/app_state.h"

#include "foundation/db_connection.h"

AppState::AppState() = default;
AppState::~AppState() = default;
