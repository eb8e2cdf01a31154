document.getElementById("liste").innerHTML = termine.join("<br>");
