#include "state/app_state.h"

#include "db/db_connection.h"

AppState::AppState() = default;
AppState::~AppState() = default;
