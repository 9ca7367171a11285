"""The platform contract's cases (tests/platform_contract.cpp) kept by the browser layer: the test program runs once
in the game's page (contract.html) and each of its cases is a browser case here; a case the browser cannot keep
is skipped with the reason the program gives."""
import os
import re

import cdp
from cdp import Failure

SOURCE = os.path.join(os.path.dirname(__file__), "..", "platform_contract.cpp")
RUN_LIMIT = 120  # seconds for the whole program


class Skipped(Exception):
    pass


def outcomes(c):
    """Every case's outcome, from the one run of the program the first case asks for."""
    if not hasattr(c.run, "contract"):
        c.browser = cdp.Browser(cdp.fresh_folder(os.path.join(c.run.scratch, "profile-contract")))
        page = c.browser.page()
        page.goto(c.run.site.url + "contract.html")
        page.wait_for("the contract's cases run", "typeof ZandrekPage !== 'undefined' && (window.contractDone || "
                      "document.getElementById('notice').dataset.kind === 'refused')", limit=RUN_LIMIT)
        ended = page.evaluate("window.contractDone ? '' : document.getElementById('notice').textContent")
        c.run.contract = page.evaluate("window.contractResults || {}"), ended
    return c.run.contract


def contract_case(name):
    def case(c):
        results, ended = outcomes(c)
        if name not in results:
            raise Failure(f"the program did not report the case; {ended or 'it ended'}")
        outcome, why = results[name]["outcome"], results[name]["why"].strip()
        if outcome == "skipped":
            raise Skipped(why)
        if outcome != "passed":
            raise Failure(why)

    case.__name__ = "case_contract_" + name
    case.__doc__ = f"The browser layer keeps the platform contract's {name}."
    return case


CASES = [contract_case(name) for name in re.findall(r"^TEST_F\(\w+, (\w+)\)", open(SOURCE).read(), re.M)]
