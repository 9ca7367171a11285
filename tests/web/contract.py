"""The platform contract's cases (tests/platform_contract.cpp) kept by the browser layer: the test program runs once
in the game's page (contract.html), each of its cases a browser case here, skipped with the program's reason when
the browser cannot keep it."""
import os
import re
import xml.etree.ElementTree as ElementTree
from unittest import SkipTest as Skipped

from cdp import NOTICE, Failure

SOURCE = os.path.join(os.path.dirname(__file__), "..", "platform_contract.cpp")


def outcomes(c):
    """Every case's gtest report, from the one run of the program that the first case starts."""
    if not hasattr(c.run, "contract"):
        c.run.contract = {}, "the program did not finish"
        page = c.start("contract.html", "typeof ZandrekPage !== 'undefined' && (window.contractResults || "
                       f"{NOTICE}.dataset.kind === 'refused')", limit=120)
        report = ElementTree.fromstring(page.evaluate("window.contractResults || '<none/>'"))
        c.run.contract = {case.get("name"): case for case in report.iter("testcase")}, page.evaluate(
            f"{NOTICE}.textContent")
    return c.run.contract


def contract_case(name):
    def case(c):
        results, ended = outcomes(c)
        if name not in results:
            raise Failure(f"the program did not report the case: {ended}")
        for kind, error in (("failure", Failure), ("skipped", Skipped)):
            if results[name].find(kind) is not None:
                raise error(results[name].find(kind).get("message"))

    case.__name__ = "case_contract_" + name
    return case


CASES = [contract_case(name) for name in re.findall(r"^TEST_F\(\w+, (\w+)\)", open(SOURCE).read(), re.M)]
