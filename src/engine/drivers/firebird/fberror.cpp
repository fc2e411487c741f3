// Firebird status vectors as engine errors.
#include "engine/drivers/firebird/fberror.h"

#include <ibase.h>

#include <string>
#include <vector>

namespace vlm::engine::firebird {

EngineError statusError(const std::intptr_t* vector) {
    std::vector<std::string> lines;
    long code = 0;
    if (vector && vector[0] == isc_arg_gds) code = long(vector[1]);

    ErrorCategory category = ErrorCategory::Sql;
    int engineCode = errc::SqlBase;
    std::string head = "General SQL error.";
    switch (code) {
    case isc_login:
    case isc_login_same_as_role_name:
        category = ErrorCategory::Connect;
        engineCode = errc::LoginFailed;
        head = "Unable to connect to the database: the login was refused.";
        break;
    case isc_bad_db_format:
    case isc_bad_db_handle:
        category = ErrorCategory::Connect;
        engineCode = errc::NotADatabase;
        head = "Unable to open the database.";
        break;
    case isc_network_error:
    case isc_net_connect_err:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_conn_lost:
    case isc_lost_db_connection:
    case isc_unavailable:
    case isc_shutdown:
    case isc_io_error:
    case isc_no_priv:
    case isc_already_opened:
        category = ErrorCategory::Connect;
        engineCode = errc::ConnectBase;
        head = "Unable to reach the database.";
        break;
    case isc_unique_key_violation:
    case isc_no_dup:
    case isc_foreign_key:
    case isc_check_constraint:
    case isc_not_valid:
        category = ErrorCategory::Data;
        engineCode = errc::KeyViolation;
        head = "Key violation.";
        break;
    case isc_convert_error:
    case isc_arith_except:
    case isc_string_truncation:
    case isc_numeric_out_of_range:
    case isc_date_range_exceeded:
        category = ErrorCategory::Data;
        engineCode = errc::ConversionFailed;
        head = "Data conversion error.";
        break;
    case isc_cancelled:
        category = ErrorCategory::Cancelled;
        engineCode = errc::CancelledBase;
        head = "Cancelled by the user";
        break;
    default:
        break;
    }
    lines.push_back(head);

    if (vector) {
        const ISC_STATUS* p = vector;
        char buf[1024];
        while (fb_interpret(buf, sizeof buf, &p) > 0) lines.emplace_back(buf);
    }
    if (lines.size() == 1) lines.emplace_back("Unknown Firebird error");
    return EngineError(category, engineCode, std::move(lines), int(code));
}

}  // namespace vlm::engine::firebird
