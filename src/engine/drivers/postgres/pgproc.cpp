// Stored procedures on PostgreSQL: procedures run by CALL, functions by SELECT; a function
// that returns a set is selectable and returns its rows through a cursor.
#include <cstdlib>

#include "pgconnection.h"
#include "pgcursor.h"

namespace vlm::engine::postgres {
namespace {

constexpr unsigned kVoid = 2278;

struct Arg {
    ParamDesc desc;
    bool input;    // passed in the call
    bool output;   // returned in the result row
};

class PgProcCall : public ProcCall {
public:
    PgProcCall(PgConnection& conn, std::shared_ptr<Session> s, std::string qualified, bool procedure,
               bool returnsSet, bool hasResult, std::vector<Arg> args)
        : conn_(conn), s_(std::move(s)), qualified_(std::move(qualified)), procedure_(procedure),
          returnsSet_(returnsSet), hasResult_(hasResult), args_(std::move(args)),
          values_(args_.size() + (hasResult_ ? 1 : 0)) {}

    std::vector<ParamDesc> params() const override {
        std::vector<ParamDesc> out;
        if (hasResult_) out.push_back({"Result", ParamDirection::Result, FieldType::Unknown});
        for (const auto& a : args_) out.push_back(a.desc);
        return out;
    }

    void bind(std::size_t index, const Value& value, FieldType) override {
        if (index >= values_.size())
            throw EngineError(ErrorCategory::Usage, errc::UsageBase,
                              {"Parameter " + std::to_string(index + 1) + " does not exist"});
        values_[index] = value;
    }

    std::unique_ptr<Cursor> execute(std::vector<Value>& outputs) override {
        const std::size_t base = hasResult_ ? 1 : 0;
        std::string call = procedure_ ? "CALL " + qualified_ + "(" : "SELECT * FROM " + qualified_ + "(";
        std::vector<Value> inputs;
        int n = 0;
        for (std::size_t i = 0; i < args_.size(); ++i) {
            if (args_[i].input || procedure_) {
                if (n++) call += ", ";
                if (args_[i].input) {
                    call += "?";
                    inputs.push_back(values_[base + i]);
                } else {
                    call += "NULL";   // an OUT argument of a procedure has a place in CALL
                }
            }
        }
        call += ")";
        auto st = conn_.prepare(call);
        for (std::size_t i = 0; i < inputs.size(); ++i) st->bind(i, inputs[i], FieldType::Unknown);
        auto cur = st->execute();
        outputs.assign(values_.size(), Value());
        if (returnsSet_) return cur;
        if (!cur) return nullptr;
        std::vector<Row> rows;
        cur->fetch(1, rows);
        if (rows.empty()) return nullptr;
        const auto& v = rows.front().values;
        std::size_t col = 0;
        if (hasResult_) {
            if (!v.empty()) outputs[0] = v[0];
            return nullptr;
        }
        for (std::size_t i = 0; i < args_.size() && col < v.size(); ++i)
            if (args_[i].output) outputs[base + i] = v[col++];
        return nullptr;
    }

private:
    PgConnection& conn_;
    std::shared_ptr<Session> s_;
    std::string qualified_;
    bool procedure_, returnsSet_, hasResult_;
    std::vector<Arg> args_;
    std::vector<Value> values_;
};

}  // namespace

std::unique_ptr<ProcCall> PgConnection::prepareProc(const std::string& name) {
    auto [schema, proc] = resolve(name);
    std::vector<std::string> args{proc};
    std::string sql =
        "SELECT p.oid, p.prokind, p.proretset, p.prorettype, n.nspname FROM pg_proc p"
        " JOIN pg_namespace n ON n.oid = p.pronamespace WHERE p.proname = $1 AND p.prokind IN ('f','p')";
    if (schema.empty()) {
        sql += " AND pg_function_is_visible(p.oid)";
    } else {
        sql += " AND n.nspname = $2";
        args.push_back(schema);
    }
    sql += " ORDER BY p.pronargs, p.oid LIMIT 1";
    std::vector<bool> nulls(args.size(), false), bin(args.size(), false);
    Result h = s_->execParams(sql, args, nulls, bin);
    if (PQntuples(h.get()) == 0)
        throw EngineError(ErrorCategory::Sql, errc::SqlBase, {"Stored procedure does not exist: " + name});
    std::string oidText = PQgetvalue(h.get(), 0, 0);
    bool procedure = PQgetvalue(h.get(), 0, 1)[0] == 'p';
    bool returnsSet = PQgetvalue(h.get(), 0, 2)[0] == 't';
    unsigned rettype = unsigned(std::strtoul(PQgetvalue(h.get(), 0, 3), nullptr, 10));
    std::string qualified = quoteIdent(PQgetvalue(h.get(), 0, 4)) + "." + quoteIdent(proc);

    Result a = s_->execParams(
        "SELECT k.t, coalesce(m.mode, 'i'), coalesce(nm.name, '') FROM pg_proc p"
        " CROSS JOIN LATERAL unnest(coalesce(p.proallargtypes, p.proargtypes::oid[])) WITH ORDINALITY AS k(t, ord)"
        " LEFT JOIN LATERAL unnest(p.proargmodes) WITH ORDINALITY AS m(mode, ord) ON m.ord = k.ord"
        " LEFT JOIN LATERAL unnest(p.proargnames) WITH ORDINALITY AS nm(name, ord) ON nm.ord = k.ord"
        " WHERE p.oid = $1 ORDER BY k.ord",
        {oidText}, {false}, {false});
    std::vector<Arg> list;
    bool anyOut = false;
    for (int i = 0; i < PQntuples(a.get()); ++i) {
        unsigned t = unsigned(std::strtoul(PQgetvalue(a.get(), i, 0), nullptr, 10));
        char mode = PQgetvalue(a.get(), i, 1)[0];
        Arg arg;
        arg.desc.name = PQgetvalue(a.get(), i, 2);
        if (arg.desc.name.empty()) arg.desc.name = "$" + std::to_string(i + 1);
        arg.desc.type = fieldTypeOfOid(t);
        arg.input = mode == 'i' || mode == 'b' || mode == 'v';
        arg.output = mode == 'o' || mode == 'b' || mode == 't';
        arg.desc.direction = mode == 'b' ? ParamDirection::InputOutput
                           : arg.output ? ParamDirection::Output : ParamDirection::Input;
        anyOut = anyOut || arg.output;
        list.push_back(std::move(arg));
    }
    bool hasResult = !procedure && !returnsSet && !anyOut && rettype != kVoid;
    if (s_->tracer().wants(TracePrepare)) s_->tracer().trace(TracePrepare, "prepare procedure " + qualified);
    return std::make_unique<PgProcCall>(*this, s_, qualified, procedure, returnsSet, hasResult, std::move(list));
}

}  // namespace vlm::engine::postgres
