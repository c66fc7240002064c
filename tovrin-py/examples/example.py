"""Compiles a few expressions once, evaluates them against bindings, shows errors, and reads and
replaces one part of the bindings with an accessor."""

from tovrin import Exp, VarAccess

order = {
    "customer": {"name": "Ada", "tags": ["vip", "early"]},
    "items": [{"sku": "A-1", "price": 12.5}, {"sku": "B-7", "price": 3.0}],
    "total": 15.5,
}

rules = [
    "total >= 10.0 && contains(customer.tags, 'vip')",
    "startsWith(items[0].sku, 'A-')",
    "format('{0} pays {1}', customer.name, total)",
    "{'who': customer.name, 'count': len(items)}",
]
for text in rules:
    rule = Exp(text)
    print(f"{text}\n  -> {rule.eval(order)!r}")

for text, bindings in [("customer.email", order), ("len(1, 2)", {}), ("1 +", None)]:
    try:
        Exp(text).eval(bindings)
    except Exception as error:
        print(f"{text}\n  -> {type(error).__name__}: {error}")

price = VarAccess("items[1].price")
print(f"items[1].price\n  -> {price.access_from_bindings(order)!r}")
print(f"  replaced -> {price.replace(order, 4.0)['items']!r}")
